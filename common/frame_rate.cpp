#include "common/frame_rate.h"

#include <cstdio>

int64_t Microseconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

FrameCounter::FrameCounter(const char* program)
    : program_(program), start_(Microseconds(CLOCK_MONOTONIC)), startCpu_(Microseconds(CLOCK_PROCESS_CPUTIME_ID)) {
  // Room for every line from the start, so counting never allocates.
  text_.reserve(96);
}

bool FrameCounter::Count(int64_t steps) {
  ++frames_;
  steps_ += steps;
  const int64_t now = Microseconds(CLOCK_MONOTONIC);
  if (now - start_ < 1'000'000) return false;
  const int64_t cpu = Microseconds(CLOCK_PROCESS_CPUTIME_ID);
  char line[96];
  // The steps come last: scripts read the first two figures by their place in the line.
  std::snprintf(line, sizeof line, "%.1f frames per second, %.2f ms CPU per frame, %.1f steps/s",
                frames_ * 1e6 / (now - start_), (cpu - startCpu_) / 1e3 / frames_, steps_ * 1e6 / (now - start_));
  std::fprintf(stderr, "%s: %s\n", program_, line);
  text_ = line;
  start_ = now;
  startCpu_ = cpu;
  frames_ = steps_ = 0;
  return true;
}
