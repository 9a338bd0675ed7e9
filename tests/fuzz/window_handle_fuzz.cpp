// ParseWindowHandle over any second argument, against a conversion built on strtoll.
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/shell_logic.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsAllDigits(const std::string& text, int base) {
  if (text.empty()) return false;
  for (char c : text)
    if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
      return false;
  return true;
}

int32_t ConvertByReference(const std::string& text) {
  std::string rest = text.substr(std::min(text.find_first_not_of(' '), text.size()));
  bool negative = false;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    negative = rest[0] == '-';
    rest.erase(0, 1);
  }
  int base = 10;
  if (rest.rfind("0x", 0) == 0 || rest.rfind("0X", 0) == 0) {
    base = 16;
    rest.erase(0, 2);
  } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
    base = 16;
    rest.erase(0, 1);
  }
  // strtoll would itself skip blanks and take a sign; here it sees nothing but digits.
  if (!IsAllDigits(rest, base)) return 0;
  errno = 0;
  const long long magnitude = std::strtoll(rest.c_str(), nullptr, base);
  if (errno == ERANGE) return 0;
  const long long value = negative ? -magnitude : magnitude;
  return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(ParseWindowHandle(text) == ConvertByReference(text));

  // Every 32-bit number, written in each accepted form, reads back as itself.
  if (size >= 4) {
    int32_t number;
    std::memcpy(&number, data, sizeof number);
    const long long magnitude = std::llabs(static_cast<long long>(number));
    const char* sign = number < 0 ? "-" : (data[0] & 1 ? "+" : "");
    char written[40];
    std::snprintf(written, sizeof written, "  %s%lld", sign, magnitude);
    FUZZ_CHECK(ParseWindowHandle(written) == number);
    for (const char* prefix : {"$", "x", "X", "0x", "0X"}) {
      std::snprintf(written, sizeof written, data[1] & 1 ? "%s%s%llX" : "%s%s%llx", sign, prefix, magnitude);
      FUZZ_CHECK(ParseWindowHandle(written) == number);
    }
  }
  return 0;
}
