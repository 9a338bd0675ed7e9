#include "wayland/idle_wayland.h"

#include <algorithm>
#include <memory>

#include "common/frame_rate.h"
#include "wayland/stop_signals.h"

namespace {

constexpr char MonitorService[] = "org.gnome.Mutter.IdleMonitor";
constexpr char MonitorPath[] = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr char MonitorInterface[] = "org.gnome.Mutter.IdleMonitor";

void TakeChange(IdleWatch& watch, IdleChange change) {
  watch.change = change;
  watch.changedAt = Microseconds(CLOCK_MONOTONIC);
}

// The same events from either protocol.
template <typename Notification>
void TakeIdle(void* data, Notification*) {
  TakeChange(*static_cast<IdleWatch*>(data), IdleChange::Idle);
}

template <typename Notification>
void TakeResumed(void* data, Notification*) {
  TakeChange(*static_cast<IdleWatch*>(data), IdleChange::Active);
}

const ext_idle_notification_v1_listener NotificationListener = {TakeIdle<ext_idle_notification_v1>,
                                                                TakeResumed<ext_idle_notification_v1>};
const org_kde_kwin_idle_timeout_listener KdeTimeoutListener = {TakeIdle<org_kde_kwin_idle_timeout>,
                                                               TakeResumed<org_kde_kwin_idle_timeout>};

// The idle watch fires each time the idle time reaches its interval; the user-active watch once,
// at the first activity after it was asked for.
int TakeWatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
  auto& watch = *static_cast<IdleWatch*>(data);
  uint32_t id = 0;
  if (sd_bus_message_read(message, "u", &id) < 0 || id == 0) return 0;
  if (id == watch.busWatchId) TakeChange(watch, IdleChange::Idle);
  if (id == watch.activeWatchId) {
    watch.activeWatchId = 0;
    TakeChange(watch, IdleChange::Active);
  }
  return 0;
}

int TakeActiveWatchId(sd_bus_message* reply, void* data, sd_bus_error*) {
  uint32_t id = 0;
  if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_read(reply, "u", &id) >= 0)
    static_cast<IdleWatch*>(data)->activeWatchId = id;
  return 0;
}

// GNOME's idle monitor: libsystemd's sd-bus, already on every systemd machine and with no main
// loop of its own to fit around ours.
bool StartBusWatch(int64_t seconds, IdleWatch& watch) {
  if (sd_bus_open_user(&watch.bus) < 0) {
    watch.bus = nullptr;
    return false;
  }
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const StopSignalsEndAtOnce whileWaiting;
  const bool watching =
      // Matched on any sender: the signal comes from the monitor's unique name, which sd-bus
      // does not hold against the well-known one.
      sd_bus_match_signal(watch.bus, nullptr, nullptr, MonitorPath, MonitorInterface, "WatchFired", TakeWatchFired,
                          &watch) >= 0 &&
      sd_bus_call_method(watch.bus, MonitorService, MonitorPath, MonitorInterface, "AddIdleWatch", &error, &reply,
                         "t", static_cast<uint64_t>(seconds) * 1000) >= 0 &&
      sd_bus_message_read(reply, "u", &watch.busWatchId) >= 0;
  sd_bus_message_unref(reply);
  sd_bus_error_free(&error);
  if (!watching) {
    watch.bus = sd_bus_flush_close_unref(watch.bus);
    return false;
  }
  return true;
}

void StopCompositorWatch(IdleWatch& watch) {
  if (watch.notification) ext_idle_notification_v1_destroy(watch.notification);
  if (watch.kdeTimeout) org_kde_kwin_idle_timeout_release(watch.kdeTimeout);
  watch.notification = nullptr;
  watch.kdeTimeout = nullptr;
  watch.seatName = 0;
}

}  // namespace

bool StartIdleWatch(Screens& screens, int64_t seconds, IdleWatch& watch, std::string& error) {
  watch.milliseconds = static_cast<uint32_t>(seconds * 1000);
  if (screens.idleNotifier || screens.kdeIdle) {
    watch.onCompositor = true;
    FollowSeats(screens, watch);
    return true;
  }
  if (StartBusWatch(seconds, watch)) return true;
  error = "this compositor tells no idle time (no ext_idle_notifier_v1, org_kde_kwin_idle or GNOME's idle "
          "monitor): leave out --idle and let swayidle start it, as in: swayidle timeout 300 vellumir-wayland";
  return false;
}

void StopIdleWatch(IdleWatch& watch) {
  StopCompositorWatch(watch);
  // Not flushed: the monitor drops the watches with the connection, and a bus that does not
  // answer would hold the end up.
  if (watch.bus) sd_bus_close_unref(watch.bus);
  watch = {};
}

void FollowSeats(Screens& screens, IdleWatch& watch) {
  if (!watch.onCompositor) return;
  const auto named = [&watch](const std::unique_ptr<Seat>& seat) { return seat->name == watch.seatName; };
  if (watch.seatName && std::any_of(screens.seats.begin(), screens.seats.end(), named)) return;
  StopCompositorWatch(watch);
  if (screens.seats.empty()) return;
  // A seat without devices yet still has an idle time: it counts from the last input, or from now.
  const Seat& seat = *screens.seats.front();
  watch.seatName = seat.name;
  if (screens.idleNotifier) {
    watch.notification =
        ext_idle_notifier_v1_get_idle_notification(screens.idleNotifier, watch.milliseconds, seat.seat);
    ext_idle_notification_v1_add_listener(watch.notification, &NotificationListener, &watch);
  } else {
    watch.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(screens.kdeIdle, seat.seat, watch.milliseconds);
    org_kde_kwin_idle_timeout_add_listener(watch.kdeTimeout, &KdeTimeoutListener, &watch);
  }
}

void WatchUserReturn(IdleWatch& watch) {
  if (!watch.bus) return;
  // Asked without waiting: the answer and the watch's firing come through the main loop.
  sd_bus_call_method_async(watch.bus, nullptr, MonitorService, MonitorPath, MonitorInterface, "AddUserActiveWatch",
                           TakeActiveWatchId, &watch, "");
}

bool GetBusPoll(IdleWatch& watch, int& fd, short& events, int64_t& timeoutMicroseconds) {
  if (!watch.bus) return false;
  fd = sd_bus_get_fd(watch.bus);
  events = static_cast<short>(sd_bus_get_events(watch.bus));
  uint64_t until = UINT64_MAX;
  timeoutMicroseconds = -1;
  // sd-bus names an absolute CLOCK_MONOTONIC time.
  if (sd_bus_get_timeout(watch.bus, &until) >= 0 && until != UINT64_MAX) {
    const auto current = static_cast<uint64_t>(Microseconds(CLOCK_MONOTONIC));
    timeoutMicroseconds = until > current ? static_cast<int64_t>(until - current) : 0;
  }
  return fd >= 0;
}

bool ProcessBus(IdleWatch& watch) {
  if (!watch.bus) return true;
  int result;
  while ((result = sd_bus_process(watch.bus, nullptr)) > 0) {
  }
  return result >= 0;
}
