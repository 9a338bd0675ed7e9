// The Wayland saver's decisions, free of Wayland types so they can be tested without a
// compositor: how often a surface draws, how big its buffer is, and when the pointer has moved
// far enough to end it.
#pragma once

#include <cstdint>

#include "common/frame_budget.h"

// The pacing of one surface: one animation step per delay, whatever the refresh rate, a frame
// drawn as often as the CPU budget allows, and only once the compositor has shown the previous
// frame, so a surface the compositor does not show (an output asleep, a hidden window) computes
// and draws nothing at all.
class FramePacing {
 public:
  explicit FramePacing(int64_t delayMicroseconds = 0) : clock_(delayMicroseconds) {}

  // A surface that has just got its size: it may draw at once.
  void Restart(int64_t now);
  // The compositor's frame callback came: the last frame was shown.
  void TakeFrameShown() { awaitingCallback_ = false; }
  // A frame is drawn at `now`: returns the animation steps it advances. The next waits for its
  // callback and for the step the budget allows.
  int64_t TakeFrameSent(int64_t now, const FrameBudget& budget);

  bool IsDue(int64_t now) const { return !awaitingCallback_ && clock_.IsDue(now); }
  // Microseconds until the next step may be drawn, or -1 while it waits for the compositor.
  int64_t WaitFrom(int64_t now) const;

 private:
  StepClock clock_;
  bool awaitingCallback_ = false;
};

// A surface's buffer for its size in surface coordinates: `scale120` is the compositor's
// preferred fractional scale in 120ths (0 when none), drawn at 1:1 and shrunk back to the
// surface's size by a viewport; otherwise the output's integer scale.
struct BufferLayout {
  int32_t width, height;
  int32_t bufferScale;
  bool viewport;
};
BufferLayout ChooseBufferLayout(int32_t width, int32_t height, int32_t outputScale, uint32_t scale120);

// Where the pointer first stood over one of the saver's surfaces, in that surface's
// coordinates, and whether it has moved far enough since to end the saver: more than 30 pixels
// on either axis, or over to another surface (each surface has coordinates of its own, and a
// pointer that crossed to another screen has moved on purpose).
class PointerOrigin {
 public:
  void Forget() { surface_ = nullptr; }
  // Takes the pointer's position over `surface`; true when it ends the saver.
  bool TakePosition(const void* surface, int32_t x, int32_t y);

 private:
  const void* surface_ = nullptr;
  int32_t x_ = 0, y_ = 0;
};
