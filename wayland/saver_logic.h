// The Wayland saver's decisions, free of Wayland and EGL types so they can be tested without a
// compositor: which EGL configuration draws, how often a surface draws, how big its buffer is,
// and when the pointer has moved far enough to end it.
#pragma once

#include <cstdint>
#include <vector>

#include "common/frame_budget.h"

// The colour depth of one EGL configuration.
struct ColourDepth {
  int32_t red, green, blue;
};
// The configuration to draw with, from EGL's whole list in its order: the first of exactly 8 bits
// a channel. EGL sorts deeper colour first (a graphics card's driver may list a hundred 10-bit
// and multisampled ones before it), and a compositor drawing in software may show nothing of a
// 10-bit buffer. -1 when there is none.
int ChooseColourConfig(const std::vector<ColourDepth>& configs);

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

struct SurfaceSize {
  int32_t width, height;
};
// A surface's size in surface coordinates: the compositor's where its configure names one (above
// 0), else the output's: its size in the desktop's layout where known, else its mode over its
// scale, turned with the output. 0 while none is known yet (a configure that comes before the
// output's mode): such a surface is neither sized nor drawn.
SurfaceSize ChooseSurfaceSize(SurfaceSize asked, SurfaceSize layout, SurfaceSize mode, int32_t scale, bool turned);

// A surface's buffer for its size in surface coordinates: `scale120` is the compositor's
// preferred fractional scale in 120ths (0 when none), drawn at 1:1 and shrunk back to the
// surface's size by a viewport; otherwise the output's integer scale.
struct BufferLayout {
  int32_t width, height;
  int32_t bufferScale;
  bool viewport;
};
BufferLayout ChooseBufferLayout(int32_t width, int32_t height, int32_t outputScale, uint32_t scale120);

// Where the pointer first stood over one of the saver's surfaces, and whether it has moved far
// enough since to end the saver: more than 30 pixels on either axis. A position is in the
// coordinates of a `space`: the desktop's layout, shared by every output whose place in it is
// known, or else one surface's own; a move into another space counts as far (a pointer that
// crossed to a screen of unknown place has moved on purpose).
class PointerOrigin {
 public:
  void Forget() { space_ = nullptr; }
  // Forgets the first position if it was taken in `space`, where the compositor is about to
  // move the pointer itself (a screen of it goes, or changes its size).
  void ForgetSpace(const void* space) {
    if (space_ == space) Forget();
  }
  // Takes the pointer's position in `space`; true when it ends the saver.
  bool TakePosition(const void* space, int32_t x, int32_t y);

 private:
  const void* space_ = nullptr;
  int32_t x_ = 0, y_ = 0;
};
