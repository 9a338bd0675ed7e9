#include <gtest/gtest.h>

#include "common/hack_options.h"

namespace {

struct Expected {
  DrawTarget target;
  uint32_t windowId;
  int64_t delay;
  bool fps;
  std::optional<int32_t> mode;
  int32_t rows;
  int32_t cpu = 40;
};

constexpr DrawTarget Own = DrawTarget::OwnWindow, Root = DrawTarget::RootWindow, Given = DrawTarget::GivenWindow;
const std::optional<int32_t> Random;

}  // namespace

TEST(ParseHackOptions, ChoosesTheWindowAndReadsEveryValue) {
  struct Case {
    std::vector<std::string> arguments;
    const char* screensaverWindow;
    Expected expected;
  } const cases[] = {
      {{}, nullptr, {Own, 0, 30000, false, Random, 100}},
      {{}, "0x2a", {Own, 0, 30000, false, Random, 100}},  // the daemon's variable matters only with --root
      {{"--root"}, nullptr, {Root, 0, 30000, false, Random, 100}},
      {{"-root"}, "", {Root, 0, 30000, false, Random, 100}},
      {{"--root"}, "0x2a", {Given, 42, 30000, false, Random, 100}},
      {{"-root"}, "31457284", {Given, 31457284, 30000, false, Random, 100}},
      {{"--root", "--window"}, "12", {Own, 0, 30000, false, Random, 100}},
      {{"--window", "-root"}, nullptr, {Own, 0, 30000, false, Random, 100}},
      // The settings preview appends --window-id to whatever the user's command says.
      {{"--root", "--window-id", "0X1E00004"}, "0x2a", {Given, 0x1e00004, 30000, false, Random, 100}},
      {{"-window-id", "7", "--window"}, nullptr, {Given, 7, 30000, false, Random, 100}},
      {{"--window-id", "4294967295"}, nullptr, {Given, 4294967295u, 30000, false, Random, 100}},
      {{"--delay", "0", "-fps"}, nullptr, {Own, 0, 0, true, Random, 100}},
      {{"-delay", "10000000"}, nullptr, {Own, 0, 10000000, false, Random, 100}},
      {{"--mode", "5", "--rows", "600"}, nullptr, {Own, 0, 30000, false, 5, 600}},
      {{"-mode", "1", "-rows", "1", "-mode", "2"}, nullptr, {Own, 0, 30000, false, 2, 1}},
      {{"--cpu", "1", "-cpu", "100"}, nullptr, {Own, 0, 30000, false, Random, 100, 100}},
  };
  for (const Case& c : cases) {
    HackOptions options;
    std::string error;
    const std::string label = ::testing::PrintToString(c.arguments) + " " + (c.screensaverWindow ? c.screensaverWindow : "-");
    ASSERT_EQ(ParseHackOptions(c.arguments, c.screensaverWindow, options, error), ParseOutcome::Run) << label << error;
    EXPECT_EQ(options.target, c.expected.target) << label;
    EXPECT_EQ(options.windowId, c.expected.windowId) << label;
    EXPECT_EQ(options.delayMicroseconds, c.expected.delay) << label;
    EXPECT_EQ(options.showFps, c.expected.fps) << label;
    EXPECT_EQ(options.mode, c.expected.mode) << label;
    EXPECT_EQ(options.rows, c.expected.rows) << label;
    EXPECT_EQ(options.cpuPercent, c.expected.cpu) << label;
  }
}

TEST(ParseHackOptions, RejectsBadInputWithOneLine) {
  struct Case {
    std::vector<std::string> arguments;
    const char* screensaverWindow;
  } const cases[] = {
      {{"--bogus"}, nullptr},
      {{"--bo\x1b[2Jgus"}, nullptr},
      {{"root"}, nullptr},
      {{"---root"}, nullptr},
      {{"--delay=5"}, nullptr},
      {{"--delay"}, nullptr},
      {{"--delay", "-1"}, nullptr},
      {{"--delay", "10000001"}, nullptr},
      {{"--delay", "1e3"}, nullptr},
      {{"--delay", ""}, nullptr},
      {{"--mode", "0"}, nullptr},
      {{"--mode", "6"}, nullptr},
      {{"--mode", "3x"}, nullptr},
      {{"--rows", "0"}, nullptr},
      {{"--rows", "601"}, nullptr},
      {{"--rows", "99999999999999999999"}, nullptr},
      {{"--cpu", "0"}, nullptr},
      {{"--cpu", "101"}, nullptr},
      {{"--window-id", "0"}, nullptr},
      {{"--window-id", "0x"}, nullptr},
      {{"--window-id", "0x100000000"}, nullptr},
      {{"--window-id", "-1"}, nullptr},
      {{"--window-id", " 12"}, nullptr},
      {{"--window-id", "12z"}, nullptr},
      {{"--window-id", "0x1g"}, nullptr},
      // Drawing on the root instead would cover what the daemon did not ask for.
      {{"--root"}, "junk"},
      {{"--root"}, "0"},
  };
  for (const Case& c : cases) {
    HackOptions options;
    std::string error;
    const std::string label = ::testing::PrintToString(c.arguments) + " " + (c.screensaverWindow ? c.screensaverWindow : "-");
    EXPECT_EQ(ParseHackOptions(c.arguments, c.screensaverWindow, options, error), ParseOutcome::Fail) << label;
    EXPECT_FALSE(error.empty()) << label;
    EXPECT_EQ(error.find_first_of("\n\x1b"), std::string::npos) << label;
  }
}

TEST(ParseHackOptions, HelpAndVersionWinOverWhatFollows) {
  const std::pair<const char*, ParseOutcome> cases[] = {{"--help", ParseOutcome::ShowHelp},
                                                        {"-help", ParseOutcome::ShowHelp},
                                                        {"-h", ParseOutcome::ShowHelp},
                                                        {"--version", ParseOutcome::ShowVersion},
                                                        {"-version", ParseOutcome::ShowVersion}};
  for (const auto& [option, outcome] : cases) {
    HackOptions options;
    std::string error;
    EXPECT_EQ(ParseHackOptions({"--root", option, "--bogus"}, nullptr, options, error), outcome) << option;
  }
}

TEST(ParseWaylandOptions, TakesTheSharedOptionsAndIdleButNoXWindows) {
  struct Case {
    std::vector<std::string> arguments;
    ParseOutcome outcome;
    std::optional<int64_t> idle;
    int32_t rows;
  } const cases[] = {
      {{}, ParseOutcome::Run, std::nullopt, 100},
      {{"--idle", "300", "-rows", "50"}, ParseOutcome::Run, 300, 50},
      {{"-idle", "1"}, ParseOutcome::Run, 1, 100},
      {{"--idle", "86400"}, ParseOutcome::Run, 86400, 100},
      {{"--idle", "0"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--idle", "86401"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--idle", "5s"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--idle"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--root"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--window"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--window-id", "7"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--rows", "601"}, ParseOutcome::Fail, std::nullopt, 100},
      {{"--idle", "5", "--help"}, ParseOutcome::ShowHelp, 5, 100},
  };
  for (const Case& c : cases) {
    HackOptions options;
    std::string error;
    const std::string label = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(ParseWaylandOptions(c.arguments, options, error), c.outcome) << label;
    EXPECT_EQ(error.empty(), c.outcome != ParseOutcome::Fail) << label;
    if (c.outcome == ParseOutcome::Fail) continue;
    EXPECT_EQ(options.idleSeconds, c.idle) << label;
    EXPECT_EQ(options.rows, c.rows) << label;
  }
  // The hack has no idle watch of its own: XScreenSaver's daemon does that.
  HackOptions options;
  std::string error;
  EXPECT_EQ(ParseHackOptions({"--idle", "5"}, nullptr, options, error), ParseOutcome::Fail);
}
