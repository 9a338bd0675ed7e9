// vellumir: the animation as an XScreenSaver hack. Draws on its own window, the root, the
// daemon's window or the settings preview's, one animation step per delay and as many of them
// as the CPU budget allows, until a signal or the user ends it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/end_by_signal.h"
#include "common/frame_budget.h"
#include "common/hack_options.h"
#include "common/renderer_memory.h"
#include "lattice/extended.h"
#include "scene/gl.h"
#include "scene/mesh.h"
#include "scene/scene.h"
#include "x11/drawing_window_x11.h"
#include "x11/frame_rate_x11.h"
#include "lattice/window_lattice.h"

namespace {

volatile sig_atomic_t StopSignal = 0;

void RecordStopSignal(int signal) { StopSignal = signal; }

// The stop signals stay blocked except while the loop waits, so one that arrives while a frame
// is drawn is taken by that wait at once, never lost between a test and the wait. Blocking them
// before the display is opened also keeps them off the renderer's threads.
sigset_t BlockStopSignals() {
  struct sigaction action {};
  action.sa_handler = RecordStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  return waitMask;
}

enum class Ending { Running, Quit, WindowGone, Failed };

Ending HandleEvent(const XEvent& event, DrawingWindow& drawing) {
  switch (event.type) {
    case ConfigureNotify:
      if (event.xconfigure.window == drawing.window) {
        drawing.width = event.xconfigure.width;
        drawing.height = event.xconfigure.height;
      }
      return Ending::Running;
    case DestroyNotify:
      return event.xdestroywindow.window == drawing.window ? Ending::WindowGone : Ending::Running;
    case KeyPress: {
      if (!drawing.ownWindow) return Ending::Running;
      KeySym key = NoSymbol;
      char text[8];
      XLookupString(const_cast<XKeyEvent*>(&event.xkey), text, sizeof text, &key, nullptr);
      return key == XK_q || key == XK_Q || key == XK_Escape ? Ending::Quit : Ending::Running;
    }
    case ClientMessage:
      return drawing.ownWindow && static_cast<Atom>(event.xclient.data.l[0]) == drawing.deleteWindow ? Ending::Quit
                                                                                                     : Ending::Running;
    default:
      return Ending::Running;
  }
}

// Takes the queued events and the X errors made since the last look. An error about a window
// that no longer exists is that window's end, not a failure.
Ending TakeEvents(DrawingWindow& drawing) {
  Ending ending = Ending::Running;
  while (ending == Ending::Running && XPending(drawing.display)) {
    XEvent event;
    XNextEvent(drawing.display, &event);
    ending = HandleEvent(event, drawing);
  }
  if (ending == Ending::WindowGone) drawing.windowGone = true;
  if (ending != Ending::Running) return ending;
  const int code = TakeXError();
  if (code == 0) return Ending::Running;
  if (!CheckWindowExists(drawing)) return Ending::WindowGone;
  std::fprintf(stderr, "vellumir: X error %d while drawing on window 0x%lx\n", code,
               static_cast<unsigned long>(drawing.window));
  return Ending::Failed;
}

// Draws the frame `steps` animation steps on from the last one drawn.
Ending DrawFrame(DrawingWindow& drawing, int64_t steps, FrameRate* frameRate) {
  // The window may have changed size since the last frame: cover all of it, and no more.
  if (FollowWindowSize(std::max(drawing.width, 1), std::max(drawing.height, 1))) InitHackScene();
  ComputeFrameAfter(steps);
  // Computing takes a while: a window that vanished meanwhile must not be drawn on.
  const Ending ending = TakeEvents(drawing);
  if (ending != Ending::Running) return ending;
  // Colour only: the depth test is off, so the depth buffer a visual may bring is never read,
  // and clearing it costs a software renderer a pass over every pixel.
  glClear(GL_COLOR_BUFFER_BIT);
  DrawMeshArrays();
  if (frameRate) frameRate->CountAndShow(steps);
  if (drawing.doubleBuffered) {
    glXSwapBuffers(drawing.display, drawing.window);
  } else {
    glFinish();
  }
  return Ending::Running;
}

// Draws the frames the budget allows until something ends the hack; returns the exit code.
int RunFrames(const HackOptions& options, DrawingWindow& drawing, FrameRate* frameRate, const sigset_t& waitMask) {
  FrameBudget budget(options.cpuPercent, options.delayMicroseconds);
  StepClock clock(options.delayMicroseconds);
  clock.Restart(Microseconds(CLOCK_MONOTONIC));
  pollfd connection{ConnectionNumber(drawing.display), POLLIN, 0};
  while (!StopSignal) {
    const int width = drawing.width, height = drawing.height;
    Ending ending = TakeEvents(drawing);
    if (ending != Ending::Running) return ending == Ending::Failed ? 1 : 0;
    // A resized window shows uncovered parts until it is drawn again: do not wait out a long delay.
    if (drawing.width != width || drawing.height != height) clock.Restart(Microseconds(CLOCK_MONOTONIC));
    int64_t now = Microseconds(CLOCK_MONOTONIC);
    if (clock.IsDue(now)) {
      const int64_t steps = clock.TakeFrame(now, budget);
      ending = DrawFrame(drawing, steps, frameRate);
      if (ending != Ending::Running) return ending == Ending::Failed ? 1 : 0;
      now = Microseconds(CLOCK_MONOTONIC);
      budget.TakeFrame(steps, now, Microseconds(CLOCK_PROCESS_CPUTIME_ID));
    }
    const int64_t wait = clock.WaitFrom(now);
    const timespec timeout{static_cast<time_t>(wait / 1'000'000), static_cast<long>(wait % 1'000'000 * 1000)};
    // With our requests sent and the queue empty, whatever the server sends next wakes us.
    XFlush(drawing.display);
    if (XEventsQueued(drawing.display, QueuedAlready) == 0) ppoll(&connection, 1, &timeout, &waitMask);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetFloatingPointControl();
  HackOptions options;
  std::string error;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> exitCode = AnswerCommandLine(
          ParseHackOptions(arguments, std::getenv("XSCREENSAVER_WINDOW"), options, error), "vellumir", VELLUMIR_VERSION,
          HackUsage, error))
    return *exitCode;

  const sigset_t waitMask = BlockStopSignals();
  KeepRendererMemory();
  DrawingWindow drawing;
  if (!OpenDrawingWindow(options, drawing, error)) {
    std::fprintf(stderr, "vellumir: %s\n", error.c_str());
    CloseDrawingWindow(drawing);
    return 1;
  }
  StartLattice(options.rows, std::max(drawing.width, 1), std::max(drawing.height, 1), options.mode);
  InitHackScene();
  std::optional<FrameRate> frameRate;
  if (options.showFps) frameRate.emplace(drawing.display);
  const int code = RunFrames(options, drawing, frameRate ? &*frameRate : nullptr, waitMask);
  if (frameRate && !drawing.windowGone) frameRate->Release();
  CloseDrawingWindow(drawing);
  if (StopSignal) EndBySignal(StopSignal);
  return code;
}
