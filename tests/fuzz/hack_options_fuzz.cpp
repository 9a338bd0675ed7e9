// ParseHackOptions and ParseWaylandOptions over any argument list, the hack's with any
// XSCREENSAVER_WINDOW: the input's NUL bytes separate the environment's value (empty: unset)
// from the arguments that follow. The properties hold whatever options the parsers take.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/hack_options.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsOneClearLine(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) return false;
  return true;
}

// What every front end may rely on once a command line was taken.
void CheckOutcome(ParseOutcome outcome, const HackOptions& options, const std::string& error) {
  if (outcome == ParseOutcome::Fail) {
    // Nothing the user typed reaches the terminal raw, nor splits the line.
    FUZZ_CHECK(IsOneClearLine(error));
    return;
  }
  FUZZ_CHECK(error.empty());
  if (outcome != ParseOutcome::Run) return;
  FUZZ_CHECK(options.rows >= 1 && options.rows <= 600);
  FUZZ_CHECK(options.delayMicroseconds >= 0 && options.delayMicroseconds <= MaxDelayMicroseconds);
  FUZZ_CHECK(!options.mode || (*options.mode >= 1 && *options.mode <= 5));
  FUZZ_CHECK(options.cpuPercent >= 1 && options.cpuPercent <= 100);
  FUZZ_CHECK(!options.idleSeconds || (*options.idleSeconds >= 1 && *options.idleSeconds <= MaxIdleSeconds));
  // A window someone else made is a real one: 0 is no window, and drawing there would go nowhere.
  FUZZ_CHECK((options.target == DrawTarget::GivenWindow) == (options.windowId != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string screensaverWindow = input.substr(0, split);
  std::vector<std::string> arguments;
  for (size_t start = split; start < input.size();) {
    const size_t end = std::min(input.find('\0', start + 1), input.size());
    arguments.push_back(input.substr(start + 1, end - start - 1));
    start = end;
  }

  HackOptions hack;
  std::string error;
  const ParseOutcome hackOutcome =
      ParseHackOptions(arguments, screensaverWindow.empty() ? nullptr : screensaverWindow.c_str(), hack, error);
  CheckOutcome(hackOutcome, hack, error);
  // The hack has no idle watch: that is the Wayland saver's alone.
  FUZZ_CHECK(hackOutcome != ParseOutcome::Run || !hack.idleSeconds);

  HackOptions wayland;
  error.clear();
  const ParseOutcome waylandOutcome = ParseWaylandOptions(arguments, wayland, error);
  CheckOutcome(waylandOutcome, wayland, error);
  // It makes every surface itself: no X window is ever named to it.
  FUZZ_CHECK(waylandOutcome != ParseOutcome::Run || wayland.target == DrawTarget::OwnWindow);
  return 0;
}
