#include "common/frame_budget.h"

#include <algorithm>
#include <cmath>

namespace {

// What frames cost is taken over a second or so of them.
constexpr int64_t MeasureMicroseconds = 1'000'000;
// Drawing more often needs this much room under the budget: a frame's cost moves by a fifth from
// one second to the next on a busy machine, so a rate chosen just under the budget would
// otherwise alternate with the next one.
constexpr double Room = 0.8;
// However dear frames are, one in ten seconds is still drawn.
constexpr int64_t LongestIntervalMicroseconds = 10'000'000;
// A frame later than this beyond its interval (a process stopped, a machine suspended, an output
// asleep) resumes from where the animation stood rather than race through what it missed.
constexpr int64_t MostMadeUpMicroseconds = 1'000'000;

}  // namespace

FrameBudget::FrameBudget(int32_t percent, int64_t stepMicroseconds)
    : percent_(std::clamp(percent, 1, 100)),
      step_(std::max<int64_t>(stepMicroseconds, 0)),
      maxInterval_(step_ > 0 ? std::max<int64_t>(LongestIntervalMicroseconds / step_, 1) : 1) {}

void FrameBudget::TakeFrame(int64_t steps, int64_t now, int64_t cpu) {
  if (!MakesUpSteps()) return;
  // A pause in drawing (outputs asleep, the saver hidden) says nothing of what frames cost, and
  // the first frame's cost is mostly the renderer's start.
  const bool paused = now - lastFrame_ > interval_ * step_ + MeasureMicroseconds;
  lastFrame_ = now;
  if (!measuring_ || paused) {
    measuring_ = true;
    measureStart_ = now, measureCpu_ = cpu, frames_ = steps_ = 0;
    return;
  }
  ++frames_;
  steps_ += steps;
  const int64_t elapsed = now - measureStart_;
  if (elapsed < MeasureMicroseconds) return;

  // Share of a core, and what a frame every step would take at the same cost per frame.
  const double usage = static_cast<double>(cpu - measureCpu_) / elapsed;
  const double everyStep = usage * static_cast<double>(steps_) / static_cast<double>(frames_);
  const auto intervalWithin = [this, everyStep](double share) {
    const double interval = std::min(std::ceil(everyStep / share), static_cast<double>(maxInterval_));
    return std::max<int64_t>(static_cast<int64_t>(interval), 1);
  };
  const double budget = percent_ / 100.0;
  if (usage > budget) {
    interval_ = std::max(intervalWithin(budget), std::min(interval_ + 1, maxInterval_));
  } else {
    interval_ = std::min(interval_, intervalWithin(budget * Room));
  }
  measureStart_ = now, measureCpu_ = cpu, frames_ = steps_ = 0;
}

int64_t StepClock::TakeFrame(int64_t now, const FrameBudget& budget) {
  if (!budget.MakesUpSteps()) {
    // Like a timer's ticks: a late frame delays the next one, and missed steps are not made up.
    nextFrame_ = std::max(nextFrame_ + step_, now);
    return 1;
  }
  const int64_t missed = started_ ? (now - lastStep_) / step_ : 0;
  int64_t steps = 1;
  if (started_ && missed <= budget.Interval() + MostMadeUpMicroseconds / step_) {
    // At least one step, even for a frame drawn again at once (a window resized): the clock then
    // runs less than a step ahead, and the next frames come that much later.
    steps = std::max<int64_t>(missed, 1);
    lastStep_ += steps * step_;
  } else {
    lastStep_ = now;
  }
  started_ = true;
  nextFrame_ = lastStep_ + budget.Interval() * step_;
  return steps;
}
