// The user's idle time, as the compositor tells it: ext_idle_notifier_v1 where offered, else
// org_kde_kwin_idle, else GNOME's idle monitor on the session bus.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>

#include "wayland/screens_wayland.h"

enum class IdleChange { None, Idle, Active };

struct IdleWatch {
  // The compositor's watch is on one seat, and waits for one where there is none yet (a phone's
  // compositor before its first input device).
  bool onCompositor = false;
  uint32_t milliseconds = 0;
  uint32_t seatName = 0;  // the seat's global; 0 while there is none
  ext_idle_notification_v1* notification = nullptr;
  org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
  // GNOME's: one watch for the idle time, and one for the next activity while the saver shows.
  sd_bus* bus = nullptr;
  uint32_t busWatchId = 0, activeWatchId = 0;
  IdleChange change = IdleChange::None;  // the latest, until taken
  int64_t changedAt = 0;                 // when it came
};

// Asks for word after `seconds` without input. On a compositor that tells no idle time,
// returns false with one line in `error`.
bool StartIdleWatch(Screens& screens, int64_t seconds, IdleWatch& watch, std::string& error);
void StopIdleWatch(IdleWatch& watch);

// Moves the compositor's watch to a seat that is there: the first one to come, another when its
// seat went away.
void FollowSeats(Screens& screens, IdleWatch& watch);
// Asks GNOME's monitor for word of the user's next activity, which the saver's windows do not
// all see (a key that opens the overview goes to the shell). Only the compositors' protocols
// tell it unasked.
void WatchUserReturn(IdleWatch& watch);

// The session bus's file descriptor, events and deadline for the main loop's poll, when the
// watch is on the bus; false otherwise.
bool GetBusPoll(IdleWatch& watch, int& fd, short& events, int64_t& timeoutMicroseconds);
// Handles whatever the session bus sent, if the watch is on it. False when the bus is gone.
bool ProcessBus(IdleWatch& watch);
