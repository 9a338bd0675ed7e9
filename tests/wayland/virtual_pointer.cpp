// virtual_pointer: a pointer the tests drive through the compositor's virtual-pointer interface,
// as if a mouse were plugged in. It reads one command a line from stdin until it closes:
//   to X Y WIDTH HEIGHT   move to X, Y of a WIDTH x HEIGHT frame spanning the outputs
//   by DX DY              move by DX, DY pixels
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

// Sends one command; false when it is not one.
bool SendCommand(zwlr_virtual_pointer_v1* pointer, const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  if (verb == "to") {
    uint32_t x, y, width, height;
    if (!(words >> x >> y >> width >> height)) return false;
    zwlr_virtual_pointer_v1_motion_absolute(pointer, NowMilliseconds(), x, y, width, height);
  } else if (verb == "by") {
    double dx, dy;
    if (!(words >> dx >> dy)) return false;
    zwlr_virtual_pointer_v1_motion(pointer, NowMilliseconds(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
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
  if (!display) {
    std::fprintf(stderr, "virtual_pointer: no Wayland compositor to connect to\n");
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &RegistryListener, nullptr);
  wl_display_roundtrip(display);
  if (!Manager) {
    std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
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
    if (wl_display_roundtrip(display) < 0) {
      std::fprintf(stderr, "virtual_pointer: the compositor went away\n");
      return 1;
    }
  }
  wl_display_disconnect(display);
  return 0;
}
