// "Show frame rate": frames per second and CPU time per frame, once a second on stderr and on
// every frame in the window's top-left corner.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <ctime>
#include <string>

int64_t Microseconds(clockid_t clock);

class FrameRate {
 public:
  // Needs the drawing window's context current. Without the core font, only stderr shows it.
  explicit FrameRate(Display* display);
  FrameRate(const FrameRate&) = delete;
  FrameRate& operator=(const FrameRate&) = delete;
  // Frees the font and its display lists; the context must still be current.
  void Release();

  // Counts a frame and draws the latest figures over it.
  void CountAndShow();

 private:
  Display* display_;
  XFontStruct* font_ = nullptr;
  unsigned listBase_ = 0;
  std::string text_;  // none until the first second is over
  int64_t start_, startCpu_, frames_ = 0;
};
