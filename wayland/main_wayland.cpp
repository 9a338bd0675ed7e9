// vellumir-wayland: the animation on every screen of a Wayland desktop, at once or after the
// user's idle time, until a key, a button, a touch, a pointer movement or a signal ends it.
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_rate.h"
#include "common/end_by_signal.h"
#include "common/frame_budget.h"
#include "common/hack_options.h"
#include "common/quote.h"
#include "common/renderer_memory.h"
#include "lattice/extended.h"
#include "lattice/random.h"
#include "lattice/window_lattice.h"
#include "scene/gl.h"
#include "scene/mesh.h"
#include "scene/scene.h"
#include "wayland/idle_wayland.h"
#include "wayland/screens_wayland.h"
#include "wayland/stop_signals.h"

namespace {

constexpr char Program[] = "vellumir-wayland";

void Report(const std::string& line) { std::fprintf(stderr, "%s: %s\n", Program, line.c_str()); }

// Some compositors count a client's window appearing as the user's activity and say so soon
// after: the idle watch's word of the user's return within this time of the saver's appearance
// is not taken. Input on the saver's own surfaces still ends it.
constexpr int64_t OwnAppearanceMicroseconds = 1'000'000;

std::string DescribeLostConnection(wl_display* display) {
  const wl_interface* interface = nullptr;
  uint32_t object = 0;
  if (wl_display_get_error(display) == EPROTO) {
    const uint32_t code = wl_display_get_protocol_error(display, &interface, &object);
    return "the Wayland compositor ended the connection over protocol error " + std::to_string(code) + " on " +
           (interface ? interface->name : "an unknown object");
  }
  return "the Wayland compositor went away";
}

enum class Ending { Running, Dismissed, Failed, LostConnection, Signalled };

// Gives the output its buffer size and the animation state: its own lattice in the module-level
// state, and the GL scene set up for it in the one context.
bool PrepareOutput(Screens& screens, Output& output, const HackOptions& options) {
  const BufferLayout layout =
      ChooseBufferLayout(output.width, output.height, output.scale, output.viewport ? output.scale120 : 0);
  if (!output.eglWindow) {
    output.eglWindow = wl_egl_window_create(output.surface, layout.width, layout.height);
    const StopSignalsEndAtOnce whileWaiting;
    output.eglSurface = CreateEglSurface(screens.egl, output.eglWindow);
    if (output.eglSurface == EGL_NO_SURFACE) {
      Report("EGL made no surface to draw on (error " + std::to_string(eglGetError()) + ")");
      return false;
    }
  } else if (layout.width != output.buffer.width || layout.height != output.buffer.height) {
    wl_egl_window_resize(output.eglWindow, layout.width, layout.height, 0, 0);
  }
  if (layout.bufferScale != output.buffer.bufferScale) wl_surface_set_buffer_scale(output.surface, layout.bufferScale);
  if (layout.viewport && (output.width != output.shownWidth || output.height != output.shownHeight)) {
    wp_viewport_set_destination(output.viewport, output.width, output.height);
    output.shownWidth = output.width;
    output.shownHeight = output.height;
  }
  output.buffer = layout;
  // Made current only when another surface was: one screen needs no call per frame.
  if (eglGetCurrentSurface(EGL_DRAW) != output.eglSurface &&
      !eglMakeCurrent(screens.egl.display, output.eglSurface, output.eglSurface, screens.egl.context)) {
    Report("EGL cannot draw on the surface (error " + std::to_string(eglGetError()) + ")");
    return false;
  }

  if (screens.latticeOwner != &output) {
    if (screens.latticeOwner) CopyLatticeOut(screens.latticeOwner->lattice);
    if (output.latticeStarted) {
      PutLatticeBack(output.lattice);
    } else {
      // A seed of its own, as if the saver had started once per screen: screens set up in the
      // same millisecond would take the clock's same seed, and the same mode and motion.
      Randomize();
      UseOwnFixedTerms(output.lattice);
      StartSeededLattice(options.rows, layout.width, layout.height, RandomSeed() + screens.latticesStarted++,
                         options.mode);
      output.latticeStarted = true;
    }
    screens.latticeOwner = &output;
    screens.sceneOwner = nullptr;
  }
  if (FollowWindowSize(layout.width, layout.height) || screens.sceneOwner != &output) {
    InitHackScene();
    screens.sceneOwner = &output;
  }
  return true;
}

Ending DrawOutput(Screens& screens, Output& output, const HackOptions& options, FrameBudget& budget,
                  FrameCounter* counter, int64_t now) {
  const bool appearing = !output.eglWindow;
  if (!PrepareOutput(screens, output, options)) return Ending::Failed;
  const int64_t steps = output.pacing.TakeFrameSent(now, budget);
  ComputeFrameAfter(steps);
  // The scene tests no depth: the colour is all there is to clear.
  glClear(GL_COLOR_BUFFER_BIT);
  DrawMeshArrays();
  // Asked before the swap, whose commit carries it.
  RequestFrameCallback(output);
  // The drawing is done here, so that the swap holds nothing but the wait for the compositor to
  // give a buffer back, through which a stop signal ends the program at once.
  glFinish();
  bool swapped;
  {
    const StopSignalsEndAtOnce whileWaiting;
    swapped = eglSwapBuffers(screens.egl.display, output.eglSurface);
  }
  if (!swapped) {
    if (wl_display_get_error(screens.display)) return Ending::LostConnection;
    Report("EGL could not show the frame (error " + std::to_string(eglGetError()) + ")");
    return Ending::Failed;
  }
  if (appearing) screens.appearedAt = Microseconds(CLOCK_MONOTONIC);
  // One budget for every screen: the process's CPU time counts them all.
  budget.TakeFrame(steps, Microseconds(CLOCK_MONOTONIC), Microseconds(CLOCK_PROCESS_CPUTIME_ID));
  if (counter) counter->Count(steps);
  return Ending::Running;
}

// Shows or hides the saver as the user and the idle watch ask. Returns whether it runs on.
bool FollowUser(Screens& screens, IdleWatch* idle) {
  if (screens.showing && screens.userActed) {
    if (!idle) return false;
    HideSaver(screens);
  }
  if (!idle) return true;
  FollowSeats(screens, *idle);
  if (idle->change == IdleChange::Idle && !screens.showing) {
    ShowSaver(screens);
    WatchUserReturn(*idle);
  }
  if (idle->change == IdleChange::Active && screens.showing) {
    if (idle->changedAt - screens.appearedAt >= OwnAppearanceMicroseconds)
      HideSaver(screens);
    else
      WatchUserReturn(*idle);  // GNOME's watch fires once
  }
  idle->change = IdleChange::None;
  return true;
}

// Draws the screens whose step is due, and returns how long the loop may sleep (-1: until
// something happens).
Ending DrawDueScreens(Screens& screens, const HackOptions& options, FrameBudget& budget, FrameCounter* counter,
                      int64_t& wait) {
  wait = -1;
  for (const auto& output : screens.outputs) {
    if (!output->surface || !output->configured || output->width <= 0 || output->height <= 0) continue;
    const int64_t now = Microseconds(CLOCK_MONOTONIC);
    if (output->pacing.IsDue(now)) {
      const Ending ending = DrawOutput(screens, *output, options, budget, counter, now);
      if (ending != Ending::Running) return ending;
    }
    const int64_t outputWait = output->pacing.WaitFrom(Microseconds(CLOCK_MONOTONIC));
    if (outputWait >= 0 && (wait < 0 || outputWait < wait)) wait = outputWait;
  }
  return Ending::Running;
}

// Sleeps until the compositor, a stop signal or the session bus has something, or `wait`
// microseconds (-1: no limit) are over, and handles what came.
Ending WaitAndDispatch(wl_display* display, IdleWatch* idle, int stopSignals, int64_t wait, int& signal) {
  // Events already queued are handled before any sleep: they may end the saver or size a
  // surface.
  if (wl_display_prepare_read(display) != 0)
    return wl_display_dispatch_pending(display) < 0 ? Ending::LostConnection : Ending::Running;
  pollfd fds[3] = {{wl_display_get_fd(display), POLLIN, 0}, {stopSignals, POLLIN, 0}, {-1, 0, 0}};
  if (wl_display_flush(display) < 0) {
    if (errno != EAGAIN) {
      wl_display_cancel_read(display);
      return Ending::LostConnection;
    }
    fds[0].events |= POLLOUT;
  }
  // The bus may hold messages read along with a call's reply: they are taken before any sleep,
  // not when the descriptor next stirs.
  if (idle && !ProcessBus(*idle)) {
    wl_display_cancel_read(display);
    Report("the session bus went away, and with it GNOME's idle monitor");
    return Ending::Failed;
  }
  if (idle && idle->change != IdleChange::None) {
    wl_display_cancel_read(display);
    return Ending::Running;
  }
  int64_t busWait = -1;
  if (idle && GetBusPoll(*idle, fds[2].fd, fds[2].events, busWait) && busWait >= 0)
    wait = wait < 0 ? busWait : std::min(wait, busWait);
  const timespec timeout{static_cast<time_t>(wait / 1'000'000), static_cast<long>(wait % 1'000'000 * 1000)};
  if (ppoll(fds, 3, wait < 0 ? nullptr : &timeout, nullptr) < 0 && errno != EINTR) {
    wl_display_cancel_read(display);
    Report(std::string("waiting failed: ") + std::strerror(errno));
    return Ending::Failed;
  }
  signalfd_siginfo stop;
  if ((fds[1].revents & POLLIN) && read(stopSignals, &stop, sizeof stop) == sizeof stop) {
    wl_display_cancel_read(display);
    signal = static_cast<int>(stop.ssi_signo);
    return Ending::Signalled;
  }
  if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
    if (wl_display_read_events(display) < 0) return Ending::LostConnection;
  } else {
    wl_display_cancel_read(display);
  }
  return wl_display_dispatch_pending(display) < 0 ? Ending::LostConnection : Ending::Running;
}

Ending RunSaver(Screens& screens, const HackOptions& options, IdleWatch* idle, int stopSignals, int& signal) {
  std::optional<FrameCounter> counter;
  if (options.showFps) counter.emplace(Program);
  FrameBudget budget(options.cpuPercent, options.delayMicroseconds);
  for (;;) {
    if (!TakeClosedSurfaces(screens)) return Ending::LostConnection;
    if (!FollowUser(screens, idle)) return Ending::Dismissed;
    int64_t wait = -1;
    Ending ending = DrawDueScreens(screens, options, budget, counter ? &*counter : nullptr, wait);
    if (ending == Ending::Running) ending = WaitAndDispatch(screens.display, idle, stopSignals, wait, signal);
    if (ending != Ending::Running) return ending;
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetFloatingPointControl();
  HackOptions options;
  std::string error;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> exitCode = AnswerCommandLine(ParseWaylandOptions(arguments, options, error), Program,
                                                            VELLUMIR_VERSION, WaylandUsage, error))
    return *exitCode;

  const char* socket = std::getenv("WAYLAND_DISPLAY");
  if ((!socket || !*socket) && !std::getenv("WAYLAND_SOCKET")) {
    Report("WAYLAND_DISPLAY is not set: run it inside a Wayland session, or set WAYLAND_DISPLAY to the "
           "compositor's socket");
    return 1;
  }
  const int stopSignals = BlockStopSignals();
  if (stopSignals < 0) {
    Report(std::string("cannot take the stop signals: ") + std::strerror(errno));
    return 1;
  }
  KeepRendererMemory();
  Screens screens;
  screens.delayMicroseconds = options.delayMicroseconds;
  screens.display = wl_display_connect(nullptr);
  if (!screens.display) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    Report("no Wayland compositor answers at WAYLAND_DISPLAY " + QuoteArgument(socket ? socket : "") +
           " (XDG_RUNTIME_DIR " + QuoteArgument(runtime ? runtime : "") +
           "): start the compositor first, or set WAYLAND_DISPLAY to its socket");
    return 1;
  }
  bool started = StartScreens(screens, error);
  if (started) {
    const StopSignalsEndAtOnce whileWaiting;
    started = StartEgl(screens.display, screens.egl, error);
  }
  if (!started) {
    Report(error);
    return 1;
  }
  IdleWatch idle;
  if (options.idleSeconds) {
    if (!StartIdleWatch(screens, *options.idleSeconds, idle, error)) {
      Report(error);
      return 1;
    }
  } else {
    ShowSaver(screens);
  }

  int signal = 0;
  const Ending ending = RunSaver(screens, options, options.idleSeconds ? &idle : nullptr, stopSignals, signal);
  if (ending == Ending::LostConnection) {
    // Nothing is left to take down cleanly: the process's end frees it all.
    Report(DescribeLostConnection(screens.display));
    return 1;
  }
  {
    // Taking down waits for no answer, but EGL's own may: a second signal ends it there.
    const StopSignalsEndAtOnce whileWaiting;
    HideSaver(screens);
    StopIdleWatch(idle);
    StopEgl(screens.egl);
    StopScreens(screens);
    wl_display_flush(screens.display);
    wl_display_disconnect(screens.display);
  }
  if (ending == Ending::Signalled) EndBySignal(signal);
  return ending == Ending::Dismissed ? 0 : 1;
}
