#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/frame_budget.h"

// A renderer drawing 40 s on `surfaces` surfaces, each on its own clock: a frame costs `before`,
// then from 20 s `after` ms of CPU, a quarter more drawn less often than every step (cold caches),
// `noise` more or less every other 3 s, and `wall` times that in wall time. Figures of the last 15 s.
TEST(FrameBudget, KeepsTheBudgetAndTheClockAndSettlesOnOneRate) {
  struct Case {
    int32_t percent, surfaces;
    double before, after, noise, wall, framesPerSecond, stepsPerSecond, maxUsage;  // frames/s 0: any
  } const cases[] = {
      {40, 1, 1, 1, 0, 0.6, 33.3, 33.3, 0.4},   // cheap frames: every step drawn
      {40, 1, 23, 23, 0, 0.6, 0, 33.3, 0.4},    // dear ones: fewer, at the same speed
      {40, 2, 23, 23, 0, 0.6, 0, 33.3, 0.4},    // two surfaces share the budget
      {40, 1, 23, 1, 0, 0.6, 33.3, 33.3, 0.4},  // the renderer got faster (slower: the start)
      {40, 1, 23, 23, 0.2, 0.6, 0, 33.3, 0.4},  // a cost that swings does not swing the rate
      {40, 1, 1, 1, 0, 45, 22.2, 33.3, 0.4},    // frames slower than the clock: steps made up
      {100, 1, 23, 23, 0, 0.6, 33.3, 33.3, 2},  // every step drawn, whatever it costs,
      {100, 1, 1, 1, 0, 45, 22.2, 22.2, 2},     // and a late step delays the next, as a timer's
  };
  for (const Case& c : cases) {
    FrameBudget budget(c.percent, 30'000);
    std::vector<StepClock> clocks(c.surfaces, StepClock(30'000));
    int64_t now = 0, cpu = 0, steps = 0, frames = 0, changes = 0, interval = 1, measuredCpu = 0;
    while (now < 40'000'000) {
      auto clock = std::min_element(clocks.begin(), clocks.end(),
                                    [now](auto& a, auto& b) { return a.WaitFrom(now) < b.WaitFrom(now); });
      now += clock->WaitFrom(now);
      const int64_t frameSteps = clock->TakeFrame(now, budget);
      const double cost = (now < 20'000'000 ? c.before : c.after) * (now / 3'000'000 % 2 ? 1 + c.noise : 1 - c.noise);
      cpu += static_cast<int64_t>(cost * (budget.Interval() > 1 ? 1250 : 1000));
      now += static_cast<int64_t>(cost * 1000 * c.wall);
      budget.TakeFrame(frameSteps, now, cpu);
      if (now < 25'000'000) measuredCpu = cpu;
      else steps += frameSteps, ++frames, changes += budget.Interval() != interval;
      interval = budget.Interval();
    }
    const double seconds = (now - 25'000'000) / 1e6;
    SCOPED_TRACE(&c - cases);
    EXPECT_NEAR(steps / seconds / c.surfaces, c.stepsPerSecond, 0.5);
    EXPECT_NEAR(c.framesPerSecond > 0 ? frames / seconds / c.surfaces : 0, c.framesPerSecond, 0.5);
    EXPECT_LE((cpu - measuredCpu) / 1e6 / seconds, c.maxUsage);
    EXPECT_LE(changes, 1);
  }
}
