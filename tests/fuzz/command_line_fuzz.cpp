// SplitCommandLine and SwitchLetter over any command line the system could hand the saver.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/shell_logic.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The splitting rule read one character at a time: a quote toggles quoting and belongs to the
// argument it stands in, an unquoted blank or control character ends the argument, and the
// line ends at its first NUL.
std::vector<std::string> SplitByReference(std::string_view line) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false, quoted = false;
  for (char c : line.substr(0, line.find('\0'))) {
    const bool separator = static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32;
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (separator && !quoted) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> arguments = SplitCommandLine(line);
  FUZZ_CHECK(arguments == SplitByReference(line));

  std::string rejoined;
  for (const std::string& argument : arguments) {
    FUZZ_CHECK(argument.find('"') == std::string::npos);
    FUZZ_CHECK(argument.find('\0') == std::string::npos);
    rejoined += (rejoined.empty() ? "\"" : " \"") + argument + "\"";

    const char letter = SwitchLetter(argument);
    if (argument.size() < 2) {
      FUZZ_CHECK(letter == '\0');
    } else {
      const char second = argument[1];
      FUZZ_CHECK(letter == (second >= 'a' && second <= 'z' ? second - 32 : second));
    }
  }
  // Quoting every argument and joining them with blanks gives the same arguments back.
  FUZZ_CHECK(SplitCommandLine(rejoined) == arguments);
  return 0;
}
