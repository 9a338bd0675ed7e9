#include <gtest/gtest.h>

#include "wayland/saver_logic.h"

// One step per 30 ms whatever the compositor's refresh, and none while it withholds the frame
// callback: a screen asleep costs nothing, and one that wakes does not make up missed steps.
TEST(FramePacing, StepsOncePerDelayAndOnlyAfterTheFrameWasShown) {
  enum Event { Draw, Shown, None };
  struct Step {
    int64_t now;
    Event event;
    bool due;       // before the event
    int64_t wait;   // after it
  } const steps[] = {
      {0, Draw, true, -1},          // a fresh surface draws at once, then waits for the compositor
      {16'667, Shown, false, 13'333},  // a 60 Hz callback comes early: the step is still due at 30 ms
      {30'000, Draw, true, -1},
      {33'333, Shown, false, 26'667},
      {60'000, Draw, true, -1},
      {500'000, None, false, -1},   // the callback is withheld: never due, no timeout
      {900'000, Shown, false, 0},   // shown at last: due at once
      {900'000, Draw, true, -1},
      {910'000, Shown, false, 0},   // one more at once, like a timer's pending tick,
      {910'000, Draw, true, -1},
      {920'000, Shown, false, 10'000},  // but the missed steps are not made up
  };
  FramePacing pacing(30'000);
  pacing.Restart(0);
  for (const Step& step : steps) {
    EXPECT_EQ(pacing.IsDue(step.now), step.due) << step.now;
    if (step.event == Draw) pacing.TakeFrameSent(step.now, FrameBudget(100, 30'000));
    if (step.event == Shown) pacing.TakeFrameShown();
    EXPECT_EQ(pacing.WaitFrom(step.now), step.wait) << step.now;
  }
}

TEST(ChooseBufferLayout, FollowsTheIntegerOrFractionalScale) {
  struct Case {
    int32_t width, height, outputScale;
    uint32_t scale120;
    BufferLayout expected;
  } const cases[] = {
      {1280, 720, 1, 0, {1280, 720, 1, false}},
      {960, 540, 2, 0, {1920, 1080, 2, false}},
      {1280, 720, 2, 180, {1920, 1080, 1, true}},  // 1.5 wins over the output's integer 2
      {1366, 768, 1, 150, {1708, 960, 1, true}},   // 1707.5 rounds up
      {0, -5, 0, 0, {1, 1, 1, false}},             // no empty buffer, no zero scale
      {100000, 100, 1000, 0, {32767 * 16, 1600, 16, false}},
  };
  for (const Case& c : cases) {
    const BufferLayout layout = ChooseBufferLayout(c.width, c.height, c.outputScale, c.scale120);
    EXPECT_EQ(layout.width, c.expected.width) << c.width;
    EXPECT_EQ(layout.height, c.expected.height) << c.width;
    EXPECT_EQ(layout.bufferScale, c.expected.bufferScale) << c.width;
    EXPECT_EQ(layout.viewport, c.expected.viewport) << c.width;
  }
}

TEST(PointerOrigin, EndsTheSaverBeyondThirtyPixelsOrOnAnotherSurface) {
  const int first = 0, second = 0;
  struct Position {
    const void* surface;
    int32_t x, y;
    bool ends;
  } const positions[] = {
      {&first, 100, 200, false},  // where it first stood
      {&first, 130, 170, false},
      {&first, 70, 230, false},
      {&first, 131, 200, true},   // measured from the first position, not the last
      {&first, 100, 169, true},
      {&first, 100, 200, false},
      {&second, 100, 200, true},  // over another screen's surface
  };
  PointerOrigin origin;
  for (const Position& position : positions)
    EXPECT_EQ(origin.TakePosition(position.surface, position.x, position.y), position.ends) << position.x << "," << position.y;
  // Showing the saver again forgets the old position.
  origin.Forget();
  EXPECT_FALSE(origin.TakePosition(&second, 0, 0));
  EXPECT_TRUE(origin.TakePosition(&second, 0, 31));
}
