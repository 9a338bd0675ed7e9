#include "shell/shell_logic.h"

#include "common/digits.h"

namespace {

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> arguments;
  size_t position = 0;
  while (true) {
    while (position < commandLine.size() && IsSeparator(commandLine[position])) ++position;
    if (position >= commandLine.size() || commandLine[position] == '\0') break;
    std::string argument;
    bool quoted = false;
    for (; position < commandLine.size() && commandLine[position] != '\0'; ++position) {
      const char c = commandLine[position];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && IsSeparator(c)) {
        break;
      } else {
        argument += c;
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

char SwitchLetter(std::string_view firstArgument) {
  if (firstArgument.size() < 2) return '\0';
  const char letter = firstArgument[1];
  return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

int32_t ParseWindowHandle(std::string_view text) {
  size_t position = 0;
  while (position < text.size() && text[position] == ' ') ++position;
  bool negative = false;
  if (position < text.size() && (text[position] == '+' || text[position] == '-')) negative = text[position++] == '-';
  int base = 10;
  if (position < text.size() && (text[position] == '$' || text[position] == 'x' || text[position] == 'X')) {
    base = 16;
    ++position;
  } else if (text.substr(position, 2) == "0x" || text.substr(position, 2) == "0X") {
    base = 16;
    position += 2;
  }
  const auto magnitude = ParseDigits(text.substr(position), base, negative ? 2147483648u : INT32_MAX);
  if (!magnitude) return 0;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(*magnitude) : static_cast<int64_t>(*magnitude));
}

bool IsPasswordRequired(int32_t queryStatus, uint32_t size, const unsigned char (&buffer)[4]) {
  // A value too long for the buffer fails the query, and the buffer then holds no defined data.
  if (queryStatus != 0 || size > sizeof buffer) return false;
  const uint32_t value = buffer[0] | buffer[1] << 8 | buffer[2] << 16 | static_cast<uint32_t>(buffer[3]) << 24;
  return value != 0;
}
