// What the tests' input devices share: a connection that binds the one global they drive, and a
// loop that hands it one command a line from stdin. One device for the whole run: a new one
// would be a new pointer or keyboard to the programs under test.
#pragma once

#include <wayland-client.h>

#include <functional>
#include <string>

// Connects and binds the compositor's global of that interface; null with a message if none.
void* BindInputGlobal(const char* program, wl_display*& display, const wl_interface& interface, uint32_t version);

// Sends each line with `send`, which returns false for a line that is not a command; returns
// the exit code.
int ServeCommands(const char* program, wl_display* display, const std::function<bool(const std::string&)>& send);
