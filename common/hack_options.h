// The command line of the hack and of the Wayland saver, by XScreenSaver's conventions: one
// parser, so both front ends spell and check their shared options alike. Free of X and Wayland
// types so it can be tested without a display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class DrawTarget {
  OwnWindow,    // a window of our own, as when run from a terminal
  RootWindow,   // the screen's root window
  GivenWindow,  // a window someone else made: the daemon's or the settings preview's
};

struct HackOptions {
  DrawTarget target = DrawTarget::OwnWindow;
  uint32_t windowId = 0;  // for GivenWindow
  int64_t delayMicroseconds = 30000;  // the Windows saver's 30 ms tick
  bool showFps = false;
  std::optional<int32_t> mode;  // none: drawn at random, as on Windows
  int32_t rows = 100;
  int32_t cpuPercent = 40;  // of one core, for the whole program; 100 draws every step
  std::optional<int64_t> idleSeconds;  // Wayland only; none: cover the screens at once
};

constexpr int64_t MaxDelayMicroseconds = 10'000'000;
constexpr int64_t MaxIdleSeconds = 86'400;

enum class ParseOutcome { Run, ShowHelp, ShowVersion, Fail };

extern const char HackUsage[];
extern const char WaylandUsage[];

// Fills `options` from the hack's arguments after the program name. `screensaverWindow` is the
// value of XSCREENSAVER_WINDOW (null when unset), which names the window for --root. On Fail,
// `error` holds one line naming the problem.
ParseOutcome ParseHackOptions(const std::vector<std::string>& arguments, const char* screensaverWindow,
                              HackOptions& options, std::string& error);

// The same for the Wayland saver: the hack's options without the X windows, plus --idle.
ParseOutcome ParseWaylandOptions(const std::vector<std::string>& arguments, HackOptions& options, std::string& error);

// What a front end does with a command line that does not run it: the usage on stdout for
// ShowHelp, "PROGRAM VERSION" for ShowVersion, the problem and the usage on stderr for Fail.
// Returns the exit code (0, 0, 1), none for Run.
std::optional<int> AnswerCommandLine(ParseOutcome outcome, const char* program, const char* version, const char* usage,
                                     const std::string& error);

// An X window id in decimal or with a 0x prefix; none for 0, signs, blanks, trailing text or
// values beyond 32 bits.
std::optional<uint32_t> ParseWindowId(const std::string& text);
