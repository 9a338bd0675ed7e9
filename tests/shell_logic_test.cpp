#include <gtest/gtest.h>

#include "common/dismissal.h"
#include "shell/shell_logic.h"

TEST(SplitCommandLine, SeparatesOnControlCharactersAndKeepsQuotedBlanks) {
  using Arguments = std::vector<std::string>;
  struct Case {
    std::string line;
    Arguments arguments;
  } const cases[] = {
      {"", {}},
      {"   ", {}},
      {"vellumir.scr", {"vellumir.scr"}},
      {"\"C:\\Program Files\\vellumir.scr\" /s", {"C:\\Program Files\\vellumir.scr", "/s"}},
      {"x.scr /p 1234", {"x.scr", "/p", "1234"}},
      {"x.scr\t/p\r\n\x01" "1234  ", {"x.scr", "/p", "1234"}},
      {"x.scr /p \"\"", {"x.scr", "/p", ""}},
      {"x.scr /p \" 12\"", {"x.scr", "/p", " 12"}},
      {"x.scr a\"b c\"d e", {"x.scr", "ab cd", "e"}},
      {"x.scr \"unbalanced quote /s", {"x.scr", "unbalanced quote /s"}},
      {"x.scr /s\"", {"x.scr", "/s"}},
      {std::string("x.scr /c\0/s", 11), {"x.scr", "/c"}},
      {"x.scr \xe9\xa0/s", {"x.scr", "\xe9\xa0/s"}},  // bytes above 127 are not separators
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

TEST(SplitCommandLine, CopesWithAVeryLongLine) {
  const std::string longArgument(100000, 'p');
  const auto arguments = SplitCommandLine("x.scr /" + longArgument + " " + longArgument);
  ASSERT_EQ(arguments.size(), 3u);
  EXPECT_EQ(arguments[2], longArgument);
}

TEST(SwitchLetter, IsTheUpperCasedSecondCharacter) {
  struct Case {
    const char* argument;
    char letter;
  } const cases[] = {
      {"", '\0'},     {"/", '\0'},     {"s", '\0'},      {"/s", 'S'},     {"/S", 'S'},    {"-s", 'S'},
      {"xp", 'P'},    {"/preview", 'P'}, {"/config", 'C'}, {"/a", 'A'},    {"/x", 'X'},    {"/1", '1'},
      {"//", '/'},    {"/p:1234", 'P'}, {"/\xe4", '\xe4'},
  };
  for (const Case& c : cases) EXPECT_EQ(SwitchLetter(c.argument), c.letter) << c.argument;
}

TEST(ParseWindowHandle, ReadsDecimalAndHexadecimalWithinTheSigned32BitRange) {
  struct Case {
    const char* text;
    int32_t handle;
  } const cases[] = {
      {"1234", 1234},         {"  1234", 1234},       {"+1234", 1234},        {"-1234", -1234},
      {"$1F", 31},            {"x1f", 31},            {"X1F", 31},            {"0x1F", 31},
      {"0X1f", 31},           {"-$10", -16},          {"0", 0},               {"007", 7},
      {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"$7FFFFFFF", 2147483647},
      {"2147483648", 0},      {"-2147483649", 0},     {"$80000000", 0},        {"99999999999999999999", 0},
      {"", 0},                {" ", 0},               {"-", 0},               {"$", 0},
      {"0x", 0},              {"12a", 0},             {"1234 ", 0},           {"12.5", 0},
      {"\t12", 0},            {"abc", 0},             {"$1G", 0},             {"1e3", 0},
      {"- 12", 0},            {"x-12", 0},            {"000000000000000000000042", 42},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.handle) << '"' << c.text << '"';
}

TEST(IsFarEnoughToDismiss, NeedsMoreThanThirtyPixelsOnEitherAxis) {
  struct Case {
    int32_t startX, startY, x, y;
    bool dismisses;
  } const cases[] = {
      {100, 100, 100, 100, false}, {100, 100, 130, 130, false}, {100, 100, 70, 70, false},
      {100, 100, 131, 100, true},  {100, 100, 100, 131, true},  {100, 100, 69, 100, true},
      {100, 100, 100, 69, true},   {0, 0, -31, 0, true},        {INT32_MIN, 0, INT32_MAX, 0, true},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsFarEnoughToDismiss(c.startX, c.startY, c.x, c.y), c.dismisses) << c.x << "," << c.y;
}

TEST(IsPasswordRequired, ReadsAQueryOfAtMostFourBytesAsALittleEndianWord) {
  constexpr int32_t moreData = 234;  // what a value longer than the buffer fails with
  struct Case {
    int32_t status;
    uint32_t size;
    unsigned char buffer[4];
    bool required;
  } const cases[] = {
      {0, 4, {0, 0, 0, 0}, false}, {0, 4, {1, 0, 0, 0}, true}, {0, 4, {0, 0, 0, 1}, true},
      {0, 2, {'0', 0, 0, 0}, true},  // the text "0" is the byte 48
      {0, 4, {0, 0x80, 0, 0}, true}, {0, 4, {0xFF, 0xFF, 0xFF, 0xFF}, true}, {0, 0, {0, 0, 0, 0}, false},
      {moreData, 5, {1, 1, 1, 1}, false}, {2, 0, {1, 0, 0, 0}, false}, {0, 5, {1, 0, 0, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPasswordRequired(c.status, c.size, c.buffer), c.required) << c.status;
}
