#include "input_device.h"

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

struct Wanted {
  const wl_interface* interface;
  uint32_t version;
  void* global;
};

void AnnounceGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto& wanted = *static_cast<Wanted*>(data);
  if (!wanted.global && std::strcmp(interface, wanted.interface->name) == 0 && version >= wanted.version)
    wanted.global = wl_registry_bind(registry, name, wanted.interface, wanted.version);
}
void RemoveGlobal(void*, wl_registry*, uint32_t) {}
const wl_registry_listener RegistryListener = {AnnounceGlobal, RemoveGlobal};

}  // namespace

void* BindInputGlobal(const char* program, wl_display*& display, const wl_interface& interface, uint32_t version) {
  Wanted wanted{&interface, version, nullptr};
  display = wl_display_connect(nullptr);
  if (display) wl_registry_add_listener(wl_display_get_registry(display), &RegistryListener, &wanted);
  if (!display || wl_display_roundtrip(display) < 0 || !wanted.global)
    std::fprintf(stderr, "%s: no compositor that offers %s version %u\n", program, interface.name, version);
  return wanted.global;
}

int ServeCommands(const char* program, wl_display* display, const std::function<bool(const std::string&)>& send) {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!send(line)) {
      std::fprintf(stderr, "%s: not a command: %s\n", program, line.c_str());
      return 1;
    }
    // Back only once the compositor has taken it, so what the test does next comes after.
    if (wl_display_roundtrip(display) < 0) return 1;
  }
  wl_display_disconnect(display);
  return 0;
}
