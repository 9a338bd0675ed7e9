// virtual_pointer: a mouse the tests plug into the compositor. One command a line on stdin:
//   to X Y WIDTH HEIGHT   move to X, Y of a WIDTH x HEIGHT frame spanning the outputs
//   click                 press and release the left button
// One device for the whole run: a new one would be a new pointer to the programs under test.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>

#include "virtual-pointer-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* Manager = nullptr;

void AnnounceGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    Manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void RemoveGlobal(void*, wl_registry*, uint32_t) {}
const wl_registry_listener RegistryListener = {AnnounceGlobal, RemoveGlobal};

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
  wl_display* display = wl_display_connect(nullptr);
  if (display) wl_registry_add_listener(wl_display_get_registry(display), &RegistryListener, nullptr);
  if (!display || wl_display_roundtrip(display) < 0 || !Manager) {
    std::fprintf(stderr, "virtual_pointer: no compositor that offers virtual pointers\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(Manager, nullptr);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!SendCommand(pointer, line)) {
      std::fprintf(stderr, "virtual_pointer: not a command: %s\n", line.c_str());
      return 1;
    }
    // Back only once the compositor has taken it, so what the test does next comes after.
    if (wl_display_roundtrip(display) < 0) return 1;
  }
  wl_display_disconnect(display);
  return 0;
}
