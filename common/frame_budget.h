// A CPU budget for drawing: the animation keeps its clock, one step per delay, and a frame is
// drawn every step where frames are cheap, every second, third... step where they are dear (a
// software renderer). The steps in between only advance the phases, so every frame drawn is the
// one that step would have drawn, and the animation runs at the same speed on every machine.
// Portable, so it can be tested with a simulated clock and cost.
#pragma once

#include <cstdint>

class FrameBudget {
 public:
  // `percent` of one core for the whole program (every surface together); 100 draws every step
  // whatever it costs, as the Windows saver's timer does.
  FrameBudget(int32_t percent, int64_t stepMicroseconds);

  // Steps from one frame drawn to the next: 1 draws every step.
  int64_t Interval() const { return interval_; }
  // Whether a frame that comes late advances the steps it missed (under a budget), or delays
  // the steps after it (every step drawn, or no clock to keep with a delay of 0).
  bool MakesUpSteps() const { return percent_ < 100 && step_ > 0; }

  // A frame was drawn, at `now` on the monotonic clock, advancing the animation by `steps`;
  // `cpu` is the process's CPU time then, which counts the renderer's threads (microseconds).
  void TakeFrame(int64_t steps, int64_t now, int64_t cpu);

 private:
  int32_t percent_;
  int64_t step_;
  int64_t interval_ = 1;
  int64_t maxInterval_;
  // What the frames since the measurement began cost.
  bool measuring_ = false;
  int64_t measureStart_ = 0, measureCpu_ = 0, lastFrame_ = 0;
  int64_t frames_ = 0, steps_ = 0;
};

// The animation's clock for one surface: when its next frame is due, and how many steps that
// frame advances.
class StepClock {
 public:
  explicit StepClock(int64_t stepMicroseconds) : step_(stepMicroseconds) {}

  // The surface may draw at once (it has just got its size, or a new one).
  void Restart(int64_t now) { nextFrame_ = now; }
  bool IsDue(int64_t now) const { return now >= nextFrame_; }
  int64_t WaitFrom(int64_t now) const { return nextFrame_ > now ? nextFrame_ - now : 0; }

  // Takes the frame due at `now`: returns how many steps it advances the animation (at least
  // one), and puts the next frame the budget's interval later.
  int64_t TakeFrame(int64_t now, const FrameBudget& budget);

 private:
  int64_t step_;
  int64_t nextFrame_ = 0;
  // The time of the step the animation stands at, once it has taken one.
  bool started_ = false;
  int64_t lastStep_ = 0;
};
