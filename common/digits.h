// Numbers from outside input (command lines, the environment), read by one parser so that every
// front end accepts and refuses the same spellings.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The value of `digits` in `base` (10 or 16): digits alone, without sign, blank or prefix, and at
// most `limit`; none for anything else. Leading zeros are fine however many there are.
inline std::optional<uint64_t> ParseDigits(std::string_view digits, int base, uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    int digit = base;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    // Checked before it is added, so no text can overflow the value.
    if (digit >= base || static_cast<uint64_t>(digit) > limit || value > (limit - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

// A decimal whole number in min..max (0 <= min <= max), digits alone.
inline bool ParseWhole(std::string_view text, int64_t min, int64_t max, int64_t& value) {
  const auto parsed = ParseDigits(text, 10, static_cast<uint64_t>(max));
  if (!parsed || *parsed < static_cast<uint64_t>(min)) return false;
  value = static_cast<int64_t>(*parsed);
  return true;
}
