// ParseRenderOptions over any argument list (the input's NUL bytes separate the arguments), and
// QuoteArgument, which echoes those arguments in the tool's error line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tools/render_options.h"

namespace {

// Undoes QuoteArgument; false when `quoted` is not something it could have written.
bool Unquote(const std::string& quoted, std::string& text) {
  if (quoted.size() < 2 || quoted.front() != '\'' || quoted.back() != '\'') return false;
  text.clear();
  for (size_t index = 1; index + 1 < quoted.size(); ++index) {
    if (quoted[index] != '\\') {
      text += quoted[index];
    } else if (quoted[index + 1] == '\\') {
      text += '\\';
      ++index;
    } else if (quoted[index + 1] == 'x' && index + 3 < quoted.size()) {
      text += static_cast<char>(std::stoi(quoted.substr(index + 2, 2), nullptr, 16));
      index += 3;
    } else {
      return false;
    }
  }
  return true;
}

bool IsPrintable(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) return false;
  return true;
}

// The options written back as a command line that must give them again.
std::vector<std::string> WriteOptions(const RenderOptions& options) {
  std::vector<std::string> arguments = {"--width", std::to_string(options.width), "--height", std::to_string(options.height),
                                        "--rows", std::to_string(options.rows), "--frames", std::to_string(options.frames)};
  if (options.seed) arguments.insert(arguments.end(), {"--seed", std::to_string(*options.seed)});
  if (options.mode) arguments.insert(arguments.end(), {"--mode", std::to_string(*options.mode)});
  if (options.phases) {
    char text[64];
    const std::vector<float>& p = *options.phases;
    std::snprintf(text, sizeof text, "%.9g,%.9g,%.9g", p[0], p[1], p[2]);
    arguments.insert(arguments.end(), {"--phases", text});
  }
  if (!options.dumpPath.empty()) arguments.insert(arguments.end(), {"--dump", options.dumpPath});
  if (!options.pngPath.empty()) arguments.insert(arguments.end(), {"--png", options.pngPath});
  if (options.exact) arguments.push_back("--exact");
  return arguments;
}

bool operator==(const RenderOptions& a, const RenderOptions& b) {
  return a.width == b.width && a.height == b.height && a.rows == b.rows && a.seed == b.seed && a.mode == b.mode &&
         a.phases == b.phases && a.frames == b.frames && a.dumpPath == b.dumpPath && a.pngPath == b.pngPath &&
         a.exact == b.exact;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments;
  for (size_t start = 0; start <= input.size() && !input.empty();) {
    const size_t end = std::min(input.find('\0', start), input.size());
    arguments.push_back(input.substr(start, end - start));
    start = end + 1;
  }

  for (const std::string& argument : arguments) {
    const std::string quoted = QuoteArgument(argument);
    std::string unquoted;
    FUZZ_CHECK(IsPrintable(quoted));
    FUZZ_CHECK(Unquote(quoted, unquoted) && unquoted == argument);
  }

  RenderOptions options;
  std::string error;
  const RenderRequest request = ParseRenderOptions(arguments, options, error);
  if (request == RenderRequest::Fail) {
    // One printable line: nothing the user typed reaches the terminal raw.
    FUZZ_CHECK(!error.empty() && IsPrintable(error));
    return 0;
  }
  FUZZ_CHECK(error.empty());
  if (request != RenderRequest::Render) return 0;
  FUZZ_CHECK(options.width >= 1 && options.width <= MaxImageSide);
  FUZZ_CHECK(options.height >= 1 && options.height <= MaxImageSide);
  FUZZ_CHECK(options.rows >= 1 && options.rows <= 600);
  FUZZ_CHECK(!options.mode || (*options.mode >= 1 && *options.mode <= 5));
  FUZZ_CHECK(options.frames >= 0 && options.frames <= INT32_MAX);
  if (options.phases) {
    FUZZ_CHECK(options.phases->size() == 3);
    for (float phase : *options.phases) FUZZ_CHECK(std::isfinite(phase));
  }
  RenderOptions again;
  FUZZ_CHECK(ParseRenderOptions(WriteOptions(options), again, error) == RenderRequest::Render && again == options);
  return 0;
}
