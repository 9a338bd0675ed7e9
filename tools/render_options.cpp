#include "tools/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// A whole number in min..max, optionally negative; rejects signs, blanks and trailing text that
// strtoll would accept.
bool ParseWhole(const std::string& text, int64_t min, int64_t max, int64_t& value) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (!IsDigits(digits) || digits.size() > 18) return false;
  value = std::strtoll(digits.c_str(), nullptr, 10) * (negative ? -1 : 1);
  return value >= min && value <= max;
}

bool ParseDecimal(const std::string& text, float& value) {
  if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtof(text.c_str(), &end);
  return end == text.c_str() + text.size() && errno == 0 && std::isfinite(value);
}

bool ParsePhases(const std::string& text, std::vector<float>& phases) {
  std::istringstream parts(text + ",");
  std::string part;
  phases.clear();
  while (std::getline(parts, part, ',')) {
    float value;
    if (!ParseDecimal(part, value)) return false;
    phases.push_back(value);
  }
  return phases.size() == 3 && text.back() != ',';
}

}  // namespace

std::string QuoteArgument(std::string_view text) {
  static const char hexDigits[] = "0123456789abcdef";
  std::string quoted = "'";
  for (char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\\') {
      quoted += "\\\\";
    } else if (code >= 0x20 && code < 0x7f) {
      quoted += c;
    } else {
      quoted += "\\x";
      quoted += hexDigits[code >> 4];
      quoted += hexDigits[code & 15];
    }
  }
  return quoted + "'";
}

bool ParseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error) {
  for (size_t index = 0; index < arguments.size(); ++index) {
    const std::string& name = arguments[index];
    if (name == "--exact") {
      options.exact = true;
      continue;
    }
    const bool known = name == "--width" || name == "--height" || name == "--rows" || name == "--seed" ||
                       name == "--mode" || name == "--phases" || name == "--frames" || name == "--dump" ||
                       name == "--png";
    if (!known) {
      error = "unknown option " + QuoteArgument(name);
      return false;
    }
    if (index + 1 >= arguments.size()) {
      error = name + " needs a value";
      return false;
    }
    const std::string& value = arguments[++index];
    int64_t number = 0;
    if (name == "--width" || name == "--height") {
      if (!ParseWhole(value, 1, MaxImageSide, number)) {
        error = name + " must be a whole number from 1 to " + std::to_string(MaxImageSide) + ", not " +
                QuoteArgument(value);
        return false;
      }
      (name == "--width" ? options.width : options.height) = static_cast<int32_t>(number);
    } else if (name == "--rows") {
      if (!ParseWhole(value, 1, 600, number)) {
        error = "--rows must be a whole number from 1 to 600, not " + QuoteArgument(value);
        return false;
      }
      options.rows = static_cast<int32_t>(number);
    } else if (name == "--seed") {
      if (!IsDigits(value) || !ParseWhole(value, 0, UINT32_MAX, number)) {
        error = "--seed must be an unsigned 32-bit decimal number, not " + QuoteArgument(value);
        return false;
      }
      options.seed = static_cast<uint32_t>(number);
    } else if (name == "--mode") {
      if (!ParseWhole(value, 1, 5, number)) {
        error = "--mode must be 1, 2, 3, 4 or 5, not " + QuoteArgument(value);
        return false;
      }
      options.mode = static_cast<int32_t>(number);
    } else if (name == "--phases") {
      std::vector<float> phases;
      if (!ParsePhases(value, phases)) {
        error = "--phases must be three comma-separated numbers, not " + QuoteArgument(value);
        return false;
      }
      options.phases = phases;
    } else if (name == "--frames") {
      if (!ParseWhole(value, 0, INT32_MAX, number)) {
        error = "--frames must be a whole number from 0 up, not " + QuoteArgument(value);
        return false;
      }
      options.frames = number;
    } else if (value.empty()) {
      error = name + " needs a file name";
      return false;
    } else {
      (name == "--dump" ? options.dumpPath : options.pngPath) = value;
    }
  }
  return true;
}
