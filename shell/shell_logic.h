// The decisions of the saver shell, kept free of Win32 types so they can be tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Splits a command line: characters 1 to 32 separate arguments, a double-quoted stretch
// belongs to the argument it stands in (blanks included), and the quotes are dropped.
// Element 0 is the program's own path.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The run-mode letter: the second character of the first argument, upper-cased by the ASCII
// rule; '\0' when the argument is shorter than two characters.
char SwitchLetter(std::string_view firstArgument);

// A window handle written as a signed 32-bit number: decimal after optional blanks and sign, or
// hexadecimal after '$', 'x' or '0x'. 0 (no window) for anything else or out of range.
int32_t ParseWindowHandle(std::string_view text);

// Whether the query of "ScreenSaveUsePassword" into its zeroed 4-byte buffer asks for a
// password: only a query that succeeded (status 0) with at most 4 bytes counts, so shorter data
// reads its missing bytes as zero; the type is not looked at. `size` is what the query reported.
bool IsPasswordRequired(int32_t queryStatus, uint32_t size, const unsigned char (&buffer)[4]);
