// The Wayland saver's decisions, free of Wayland types so they can be tested without a
// compositor: how often a surface draws, and how big its buffer is.
#pragma once

#include <cstdint>

// The pacing of one surface: one animation step per delay, whatever the refresh rate, and only
// once the compositor has shown the previous frame, so a surface the compositor does not show
// (an output asleep, a hidden window) computes and draws nothing at all.
class FramePacing {
 public:
  explicit FramePacing(int64_t delayMicroseconds = 0) : delay_(delayMicroseconds) {}

  // A surface that has just got its size: it may draw at once.
  void Restart(int64_t now);
  // The compositor's frame callback came: the last frame was shown.
  void TakeFrameShown() { awaitingCallback_ = false; }
  // A frame was sent: the next waits for its callback and for the next step. As with a timer,
  // a late step delays the next one, but missed steps are not made up.
  void TakeFrameSent(int64_t now);

  bool IsDue(int64_t now) const { return !awaitingCallback_ && now >= nextStep_; }
  // Microseconds until the next step may be drawn, or -1 while it waits for the compositor.
  int64_t WaitFrom(int64_t now) const;

 private:
  int64_t delay_;
  int64_t nextStep_ = 0;
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
