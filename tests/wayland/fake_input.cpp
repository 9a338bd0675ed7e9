// fake_input: a mouse and a keyboard the tests plug into KWin. One command a line on stdin:
//   to X Y       move to X, Y of the desktop's layout (logical pixels, all outputs)
//   click        press and release the left button
//   key CODE     press and release the key of that evdev code
//   touch X Y    touch the screen at X, Y of the layout and let go
// KWin makes each connection a device of its own, so everything goes through this one.
#include <linux/input-event-codes.h>

#include <sstream>

#include "fake-input-client-protocol.h"
#include "input_device.h"

namespace {

constexpr uint32_t Released = 0, Pressed = 1;

bool SendCommand(org_kde_kwin_fake_input* input, const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  double x, y;
  uint32_t code;
  if (!(words >> verb)) return false;
  if (verb == "to" && words >> x >> y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_double(x), wl_fixed_from_double(y));
  } else if (verb == "click") {
    org_kde_kwin_fake_input_button(input, BTN_LEFT, Pressed);
    org_kde_kwin_fake_input_button(input, BTN_LEFT, Released);
  } else if (verb == "key" && words >> code) {
    org_kde_kwin_fake_input_keyboard_key(input, code, Pressed);
    org_kde_kwin_fake_input_keyboard_key(input, code, Released);
  } else if (verb == "touch" && words >> x >> y) {
    org_kde_kwin_fake_input_touch_down(input, 0, wl_fixed_from_double(x), wl_fixed_from_double(y));
    org_kde_kwin_fake_input_touch_frame(input);
    org_kde_kwin_fake_input_touch_up(input, 0);
    org_kde_kwin_fake_input_touch_frame(input);
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main() {
  wl_display* display = nullptr;
  // Version 4 brings the keys.
  auto* input = static_cast<org_kde_kwin_fake_input*>(
      BindInputGlobal("fake_input", display, org_kde_kwin_fake_input_interface, 4));
  if (!input) return 1;
  // KWin takes nothing from a device that has not said who it is.
  org_kde_kwin_fake_input_authenticate(input, "vellumir tests", "input for the saver under test");
  return ServeCommands("fake_input", display, [input](const std::string& line) { return SendCommand(input, line); });
}
