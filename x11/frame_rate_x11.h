// "Show frame rate" in the hack: the figures once a second on stderr and on every frame in the
// window's top-left corner, in the X core font.
#pragma once

#include <X11/Xlib.h>

#include "common/frame_rate.h"

class FrameRate {
 public:
  // Needs the drawing window's context current. Without the core font, only stderr shows it.
  explicit FrameRate(Display* display);
  FrameRate(const FrameRate&) = delete;
  FrameRate& operator=(const FrameRate&) = delete;
  // Frees the font and its display lists; the context must still be current.
  void Release();

  // Counts a frame that advanced the animation `steps` steps and draws the latest figures over
  // it.
  void CountAndShow(int64_t steps);

 private:
  Display* display_;
  XFontStruct* font_ = nullptr;
  unsigned listBase_ = 0;
  FrameCounter counter_{"vellumir"};
};
