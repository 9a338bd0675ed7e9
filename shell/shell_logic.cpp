#include "shell/shell_logic.h"

#include <cstdlib>

namespace {

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

int DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') value = c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
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
  if (position >= text.size()) return 0;
  int64_t magnitude = 0;
  for (; position < text.size(); ++position) {
    const int digit = DigitValue(text[position], base);
    if (digit < 0) return 0;
    magnitude = magnitude * base + digit;
    if (magnitude > 2147483648LL) return 0;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return value > INT32_MAX ? 0 : static_cast<int32_t>(value);
}

bool IsFarEnoughToDismiss(int32_t startX, int32_t startY, int32_t x, int32_t y) {
  const int64_t limit = 30;
  return std::llabs(int64_t{startX} - x) > limit || std::llabs(int64_t{startY} - y) > limit;
}

bool IsPasswordRequired(int32_t queryStatus, uint32_t size, const unsigned char (&buffer)[4]) {
  // A value too long for the buffer fails the query, and the buffer then holds no defined data.
  if (queryStatus != 0 || size > sizeof buffer) return false;
  const uint32_t value = buffer[0] | buffer[1] << 8 | buffer[2] << 16 | static_cast<uint32_t>(buffer[3]) << 24;
  return value != 0;
}
