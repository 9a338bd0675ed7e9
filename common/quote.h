// Text from outside (command lines, the environment) as the front ends' messages show it.
#pragma once

#include <string>
#include <string_view>

// `text` in single quotes for an error line, every byte outside printable ASCII and every
// backslash escaped, so what a user typed can neither split the line nor reach the terminal raw.
inline std::string QuoteArgument(std::string_view text) {
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
