#include "wayland/idle_wayland.h"

#include "common/frame_rate.h"

namespace {

constexpr char MonitorService[] = "org.gnome.Mutter.IdleMonitor";
constexpr char MonitorPath[] = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr char MonitorInterface[] = "org.gnome.Mutter.IdleMonitor";

// The same events from either protocol.
template <typename Notification>
void TakeIdle(void* data, Notification*) {
  static_cast<IdleWatch*>(data)->change = IdleChange::Idle;
}

template <typename Notification>
void TakeResumed(void* data, Notification*) {
  static_cast<IdleWatch*>(data)->change = IdleChange::Active;
}

const ext_idle_notification_v1_listener NotificationListener = {TakeIdle<ext_idle_notification_v1>,
                                                                TakeResumed<ext_idle_notification_v1>};
const org_kde_kwin_idle_timeout_listener KdeTimeoutListener = {TakeIdle<org_kde_kwin_idle_timeout>,
                                                               TakeResumed<org_kde_kwin_idle_timeout>};

// The monitor's watch fires each time the idle time reaches its interval; the end of idle
// shows as input on the saver's own surfaces.
int TakeWatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
  auto& watch = *static_cast<IdleWatch*>(data);
  uint32_t id = 0;
  if (sd_bus_message_read(message, "u", &id) >= 0 && id == watch.busWatchId) watch.change = IdleChange::Idle;
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

}  // namespace

bool StartIdleWatch(Screens& screens, int64_t seconds, IdleWatch& watch, std::string& error) {
  const uint32_t milliseconds = static_cast<uint32_t>(seconds * 1000);
  wl_seat* seat = screens.seats.empty() ? nullptr : screens.seats.front()->seat;
  if (seat && screens.idleNotifier) {
    watch.notification = ext_idle_notifier_v1_get_idle_notification(screens.idleNotifier, milliseconds, seat);
    ext_idle_notification_v1_add_listener(watch.notification, &NotificationListener, &watch);
    return true;
  }
  if (seat && screens.kdeIdle) {
    watch.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(screens.kdeIdle, seat, milliseconds);
    org_kde_kwin_idle_timeout_add_listener(watch.kdeTimeout, &KdeTimeoutListener, &watch);
    return true;
  }
  if (StartBusWatch(seconds, watch)) return true;
  error = "this compositor tells no idle time (no ext_idle_notifier_v1, org_kde_kwin_idle or GNOME's idle "
          "monitor): leave out --idle and let swayidle start it, as in: swayidle timeout 300 vellumir-wayland";
  return false;
}

void StopIdleWatch(IdleWatch& watch) {
  if (watch.notification) ext_idle_notification_v1_destroy(watch.notification);
  if (watch.kdeTimeout) org_kde_kwin_idle_timeout_release(watch.kdeTimeout);
  if (watch.bus) sd_bus_flush_close_unref(watch.bus);
  watch = {};
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
