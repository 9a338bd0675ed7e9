#include "tools/render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "common/digits.h"

namespace {

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

const char RenderUsage[] =
    "usage: vellumir-render [--width W] [--height H] [--rows R] [--seed S] [--mode M]\n"
    "                       [--phases A,B,C] [--frames N] [--exact] [--dump FILE] [--png FILE]\n"
    "Computes frames of the animation without a window, then writes the state, a render, or both.\n"
    "  --width W        image width in pixels, 1 to 16384 (default 1920)\n"
    "  --height H       image height in pixels, 1 to 16384 (default 1080)\n"
    "  --rows R         rows of cells, 1 to 600 (default 100)\n"
    "  --seed S         the random generator's seed, 0 to 4294967295 (default: from the clock,\n"
    "                   printed on stderr as \"seed N\")\n"
    "  --mode M         pattern mode 1 to 5 (default: the one the seed draws)\n"
    "  --phases A,B,C   set the three phases and stop their drift\n"
    "  --frames N       frames to compute, 0 to 2147483647 (default 1); on a terminal a run\n"
    "                   longer than a second shows how far it has come\n"
    "  --exact          every node in extended precision instead of the fast path (same bits)\n"
    "  --dump FILE      write the state after the frames\n"
    "  --png FILE       render the last frame through Mesa's offscreen renderer\n"
    "  -h, --help       print this and end\n"
    "  --version        print the version and end\n"
    "Without --dump and --png the frames are computed and nothing is written, for timing.\n";

RenderRequest ParseRenderOptions(const std::vector<std::string>& arguments, RenderOptions& options, std::string& error) {
  for (size_t index = 0; index < arguments.size(); ++index) {
    const std::string& name = arguments[index];
    if (name == "--help" || name == "-h") return RenderRequest::ShowHelp;
    if (name == "--version") return RenderRequest::ShowVersion;
    if (name == "--exact") {
      options.exact = true;
      continue;
    }
    const bool known = name == "--width" || name == "--height" || name == "--rows" || name == "--seed" ||
                       name == "--mode" || name == "--phases" || name == "--frames" || name == "--dump" ||
                       name == "--png";
    if (!known) {
      error = "unknown option " + QuoteArgument(name);
      return RenderRequest::Fail;
    }
    if (index + 1 >= arguments.size()) {
      error = name + " needs a value";
      return RenderRequest::Fail;
    }
    const std::string& value = arguments[++index];
    int64_t number = 0;
    if (name == "--width" || name == "--height") {
      if (!ParseWhole(value, 1, MaxImageSide, number)) {
        error = name + " must be a whole number from 1 to " + std::to_string(MaxImageSide) + ", not " +
                QuoteArgument(value);
        return RenderRequest::Fail;
      }
      (name == "--width" ? options.width : options.height) = static_cast<int32_t>(number);
    } else if (name == "--rows") {
      if (!ParseWhole(value, 1, 600, number)) {
        error = "--rows must be a whole number from 1 to 600, not " + QuoteArgument(value);
        return RenderRequest::Fail;
      }
      options.rows = static_cast<int32_t>(number);
    } else if (name == "--seed") {
      if (!ParseWhole(value, 0, UINT32_MAX, number)) {
        error = "--seed must be an unsigned 32-bit decimal number, not " + QuoteArgument(value);
        return RenderRequest::Fail;
      }
      options.seed = static_cast<uint32_t>(number);
    } else if (name == "--mode") {
      if (!ParseWhole(value, 1, 5, number)) {
        error = "--mode must be 1, 2, 3, 4 or 5, not " + QuoteArgument(value);
        return RenderRequest::Fail;
      }
      options.mode = static_cast<int32_t>(number);
    } else if (name == "--phases") {
      std::vector<float> phases;
      if (!ParsePhases(value, phases)) {
        error = "--phases must be three comma-separated numbers, not " + QuoteArgument(value);
        return RenderRequest::Fail;
      }
      options.phases = phases;
    } else if (name == "--frames") {
      if (!ParseWhole(value, 0, MaxFrames, number)) {
        error = "--frames must be a whole number from 0 to " + std::to_string(MaxFrames) + ", not " + QuoteArgument(value);
        return RenderRequest::Fail;
      }
      options.frames = number;
    } else if (value.empty()) {
      error = name + " needs a file name";
      return RenderRequest::Fail;
    } else {
      (name == "--dump" ? options.dumpPath : options.pngPath) = value;
    }
  }
  return RenderRequest::Render;
}
