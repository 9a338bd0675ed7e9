#include "common/hack_options.h"

#include <cstdio>

#include "common/digits.h"
#include "common/quote.h"

const char HackUsage[] =
    "usage: vellumir [--window | --root | --window-id ID] [--delay MICROSECONDS] [--cpu PERCENT]\n"
    "                [--fps] [--mode 1..5] [--rows 1..600] [--help | -h] [--version]\n"
    "  --window          draw in a window of its own (the default); q or Escape ends it\n"
    "  --root            draw on $XSCREENSAVER_WINDOW when set, else on the root window\n"
    "  --window-id ID    draw on that window (decimal or 0x hexadecimal)\n"
    "  --delay N         microseconds from one animation step to the next (default 30000)\n"
    "  --cpu N           draw every step while that costs at most N % of one core, else\n"
    "                    every second, third... step, at the same speed (1 to 100,\n"
    "                    default 40; 100 draws every step whatever it costs)\n"
    "  --fps             show frames per second, CPU time per frame and steps per second in\n"
    "                    a corner, and print them on stderr once a second\n"
    "  --mode M          pattern mode 1 to 5 (default: one at random)\n"
    "  --rows N          rows of cells (default 100)\n"
    "  --help, -h        print this and exit\n"
    "  --version         print the version and exit\n"
    "Single and double dashes are the same.\n";

const char WaylandUsage[] =
    "usage: vellumir-wayland [--idle SECONDS] [--delay MICROSECONDS] [--cpu PERCENT] [--fps]\n"
    "                        [--mode 1..5] [--rows 1..600] [--help | -h] [--version]\n"
    "  --idle N          stay in the background and cover every screen after N seconds\n"
    "                    without input, every time, until a signal ends it (default: cover\n"
    "                    them at once)\n"
    "  --delay N         microseconds from one animation step to the next (default 30000)\n"
    "  --cpu N           draw every step while that costs at most N % of one core for all\n"
    "                    screens together, else every second, third... step, at the same\n"
    "                    speed (1 to 100, default 40; 100 draws every step whatever it costs)\n"
    "  --fps             print frames per second, CPU time per frame and steps per second\n"
    "                    (all screens together) on stderr once a second\n"
    "  --mode M          pattern mode 1 to 5 (default: one at random)\n"
    "  --rows N          rows of cells (default 100)\n"
    "  --help, -h        print this and exit\n"
    "  --version         print the version and exit\n"
    "A key, a button, a touch or a pointer movement of more than 30 pixels ends it.\n"
    "Single and double dashes are the same.\n";

std::optional<uint32_t> ParseWindowId(const std::string& text) {
  const bool hexadecimal = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const auto value = hexadecimal ? ParseDigits(text.substr(2), 16, UINT32_MAX) : ParseDigits(text, 10, UINT32_MAX);
  if (!value || *value == 0) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

namespace {

enum class FrontEnd { X11Hack, Wayland };

// The X windows the hack's arguments named, for ParseHackOptions to choose from.
struct WindowChoice {
  bool root = false, ownWindow = false;
  std::optional<uint32_t> givenWindow;
};

ParseOutcome ParseArguments(const std::vector<std::string>& arguments, FrontEnd frontEnd, HackOptions& options,
                            WindowChoice& windows, std::string& error) {
  const bool x11 = frontEnd == FrontEnd::X11Hack;
  for (size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    // XScreenSaver's hacks have always taken -root as well as --root.
    const std::string name = argument.rfind("--", 0) == 0 ? argument.substr(1) : argument;
    if (name == "-help" || name == "-h") return ParseOutcome::ShowHelp;
    if (name == "-version") return ParseOutcome::ShowVersion;
    if (x11 && name == "-root") {
      windows.root = true;
      continue;
    }
    if (x11 && name == "-window") {
      windows.ownWindow = true;
      continue;
    }
    if (name == "-fps") {
      options.showFps = true;
      continue;
    }
    const bool takesValue = name == "-delay" || name == "-cpu" || name == "-mode" || name == "-rows" ||
                            (x11 && name == "-window-id") || (!x11 && name == "-idle");
    if (!takesValue) {
      error = "unknown option " + QuoteArgument(argument);
      return ParseOutcome::Fail;
    }
    if (index + 1 >= arguments.size()) {
      error = argument + " needs a value";
      return ParseOutcome::Fail;
    }
    const std::string& value = arguments[++index];
    int64_t number = 0;
    if (name == "-window-id") {
      windows.givenWindow = ParseWindowId(value);
      if (!windows.givenWindow) {
        error = argument + " must be a window id in decimal or 0x hexadecimal, not " + QuoteArgument(value);
        return ParseOutcome::Fail;
      }
    } else if (name == "-idle") {
      if (!ParseWhole(value, 1, MaxIdleSeconds, number)) {
        error = argument + " must be a whole number of seconds from 1 to " + std::to_string(MaxIdleSeconds) +
                ", not " + QuoteArgument(value);
        return ParseOutcome::Fail;
      }
      options.idleSeconds = number;
    } else if (name == "-delay") {
      if (!ParseWhole(value, 0, MaxDelayMicroseconds, number)) {
        error = argument + " must be a whole number of microseconds from 0 to " + std::to_string(MaxDelayMicroseconds) +
                ", not " + QuoteArgument(value);
        return ParseOutcome::Fail;
      }
      options.delayMicroseconds = number;
    } else if (name == "-cpu") {
      if (!ParseWhole(value, 1, 100, number)) {
        error = argument + " must be a whole number of percent from 1 to 100, not " + QuoteArgument(value);
        return ParseOutcome::Fail;
      }
      options.cpuPercent = static_cast<int32_t>(number);
    } else if (name == "-mode") {
      if (!ParseWhole(value, 1, 5, number)) {
        error = argument + " must be 1, 2, 3, 4 or 5, not " + QuoteArgument(value);
        return ParseOutcome::Fail;
      }
      options.mode = static_cast<int32_t>(number);
    } else {
      if (!ParseWhole(value, 1, 600, number)) {
        error = argument + " must be a whole number from 1 to 600, not " + QuoteArgument(value);
        return ParseOutcome::Fail;
      }
      options.rows = static_cast<int32_t>(number);
    }
  }
  return ParseOutcome::Run;
}

}  // namespace

ParseOutcome ParseHackOptions(const std::vector<std::string>& arguments, const char* screensaverWindow,
                              HackOptions& options, std::string& error) {
  WindowChoice windows;
  const ParseOutcome outcome = ParseArguments(arguments, FrontEnd::X11Hack, options, windows, error);
  if (outcome != ParseOutcome::Run) return outcome;

  // A named window always wins: the settings preview appends --window-id to the user's command.
  if (windows.givenWindow) {
    options.target = DrawTarget::GivenWindow;
    options.windowId = *windows.givenWindow;
  } else if (windows.ownWindow || !windows.root) {
    options.target = DrawTarget::OwnWindow;
  } else if (screensaverWindow && *screensaverWindow) {
    const auto daemonWindow = ParseWindowId(screensaverWindow);
    if (!daemonWindow) {
      // Drawing on the root instead would cover what the daemon did not ask us to.
      error = "XSCREENSAVER_WINDOW is not a window id: " + QuoteArgument(screensaverWindow);
      return ParseOutcome::Fail;
    }
    options.target = DrawTarget::GivenWindow;
    options.windowId = *daemonWindow;
  } else {
    options.target = DrawTarget::RootWindow;
  }
  return ParseOutcome::Run;
}

ParseOutcome ParseWaylandOptions(const std::vector<std::string>& arguments, HackOptions& options, std::string& error) {
  WindowChoice unused;
  return ParseArguments(arguments, FrontEnd::Wayland, options, unused, error);
}

std::optional<int> AnswerCommandLine(ParseOutcome outcome, const char* program, const char* version, const char* usage,
                                     const std::string& error) {
  switch (outcome) {
    case ParseOutcome::ShowHelp:
      std::fputs(usage, stdout);
      return 0;
    case ParseOutcome::ShowVersion:
      std::printf("%s %s\n", program, version);
      return 0;
    case ParseOutcome::Fail:
      std::fprintf(stderr, "%s: %s\n%s", program, error.c_str(), usage);
      return 1;
    case ParseOutcome::Run:
      break;
  }
  return std::nullopt;
}
