// "Show frame rate": frames per second and CPU time per frame, counted over each second and
// printed on stderr. Portable; the hack also draws the figures over its window.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

int64_t Microseconds(clockid_t clock);

class FrameCounter {
 public:
  // `program` starts each line on stderr.
  explicit FrameCounter(const char* program);

  // Counts a frame. Once a second is over, puts the figures in Text(), prints them and returns
  // true.
  bool Count();

  // The latest figures; empty until the first second is over.
  const std::string& Text() const { return text_; }

 private:
  const char* program_;
  std::string text_;
  int64_t start_, startCpu_, frames_ = 0;
};
