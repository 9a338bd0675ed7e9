// The user's idle time, as the compositor tells it: ext_idle_notifier_v1 where offered, else
// org_kde_kwin_idle, else GNOME's idle monitor on the session bus.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>

#include "wayland/screens_wayland.h"

enum class IdleChange { None, Idle, Active };

struct IdleWatch {
  ext_idle_notification_v1* notification = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
  sd_bus* bus = nullptr;
  uint32_t busWatchId = 0;
  IdleChange change = IdleChange::None;  // the latest, until taken
};

// Asks for word after `seconds` without input. On a compositor that tells no idle time,
// returns false with one line in `error`.
bool StartIdleWatch(Screens& screens, int64_t seconds, IdleWatch& watch, std::string& error);
void StopIdleWatch(IdleWatch& watch);

// The session bus's file descriptor, events and deadline for the main loop's poll, when the
// watch is on the bus; false otherwise.
bool GetBusPoll(IdleWatch& watch, int& fd, short& events, int64_t& timeoutMicroseconds);
// Handles whatever the session bus sent, if the watch is on it. False when the bus is gone.
bool ProcessBus(IdleWatch& watch);
