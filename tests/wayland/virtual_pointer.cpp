// virtual_pointer: a mouse the tests plug into the compositor. One command a line on stdin:
//   to X Y WIDTH HEIGHT   move to X, Y of a WIDTH x HEIGHT frame spanning the outputs
//   click                 press and release the left button
#include <linux/input-event-codes.h>

#include <ctime>
#include <sstream>

#include "input_device.h"
#include "virtual-pointer-client-protocol.h"

namespace {

uint32_t NowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

bool SendCommand(zwlr_virtual_pointer_v1* pointer, const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  uint32_t x, y, width, height;
  if (!(words >> verb)) return false;
  if (verb == "to" && words >> x >> y >> width >> height) {
    zwlr_virtual_pointer_v1_motion_absolute(pointer, NowMilliseconds(), x, y, width, height);
  } else if (verb == "click") {
    zwlr_virtual_pointer_v1_button(pointer, NowMilliseconds(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, NowMilliseconds(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
  } else {
    return false;
  }
  zwlr_virtual_pointer_v1_frame(pointer);
  return true;
}

}  // namespace

int main() {
  wl_display* display = nullptr;
  auto* manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
      BindInputGlobal("virtual_pointer", display, zwlr_virtual_pointer_manager_v1_interface, 1));
  if (!manager) return 1;
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
  return ServeCommands("virtual_pointer", display, [pointer](const std::string& line) { return SendCommand(pointer, line); });
}
