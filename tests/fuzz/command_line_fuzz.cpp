// SplitCommandLine and SwitchLetter over any command line the system could hand the saver.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/shell_logic.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> arguments = SplitCommandLine(line);
  // The line ends at its first NUL: whatever follows is never read.
  const std::string_view read = line.substr(0, line.find('\0'));
  FUZZ_CHECK(SplitCommandLine(read) == arguments);

  const auto quotes = std::count(read.begin(), read.end(), '"');
  size_t characters = 0;
  std::string rejoined;
  for (const std::string& argument : arguments) {
    FUZZ_CHECK(argument.find('"') == std::string::npos);
    FUZZ_CHECK(argument.find('\0') == std::string::npos);
    // Outside quotes a blank or control character only separates; an argument never starts empty.
    if (quotes == 0) {
      FUZZ_CHECK(!argument.empty());
      FUZZ_CHECK(std::none_of(argument.begin(), argument.end(), [](char c) { return c >= 1 && c <= 32; }));
    }
    characters += argument.size();
    rejoined += (rejoined.empty() ? "\"" : " \"") + argument + "\"";

    const char letter = SwitchLetter(argument);
    if (argument.size() < 2) {
      FUZZ_CHECK(letter == '\0');
    } else {
      const char second = argument[1];
      FUZZ_CHECK(letter == (second >= 'a' && second <= 'z' ? second - 32 : second));
    }
  }
  // Every character of an argument comes from the line, and the quotes are dropped.
  FUZZ_CHECK(characters + quotes <= read.size());
  // Quoting every argument and joining them with blanks gives the same arguments back.
  FUZZ_CHECK(SplitCommandLine(rejoined) == arguments);
  // Once every quote is closed, a blank and a quoted stretch add that stretch alone, blanks and all.
  if (quotes % 2 == 0) {
    std::vector<std::string> extended = arguments;
    extended.push_back("/c 1\t2");
    FUZZ_CHECK(SplitCommandLine(std::string(read) + " \"/c 1\t2\"") == extended);
  }
  return 0;
}
