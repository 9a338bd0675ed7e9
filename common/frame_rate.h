// "Show frame rate": frames per second, CPU time per frame and animation steps per second
// (fewer frames than steps where a CPU budget skips drawing), counted over each second and
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

  // Counts a frame that advanced the animation `steps` steps. Once a second is over, puts the
  // figures in Text(), prints them and returns true.
  bool Count(int64_t steps);

  // The latest figures; empty until the first second is over.
  const std::string& Text() const { return text_; }

 private:
  const char* program_;
  std::string text_;
  int64_t start_, startCpu_, frames_ = 0, steps_ = 0;
};
