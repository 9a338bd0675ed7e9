#include <gtest/gtest.h>

#include <utility>
#include <vector>

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
    if (step.event == Draw) pacing.TakeFrameSent(step.now);
    if (step.event == Shown) pacing.TakeFrameShown();
    EXPECT_EQ(pacing.WaitFrom(step.now), step.wait) << step.now;
  }
}

TEST(ChooseSurfaceSize, TakesTheCompositorsElseTheOutputsAndNothingBeforeEitherIsKnown) {
  struct Case {
    SurfaceSize asked, layout, mode;
    int32_t scale;
    bool turned;
    SurfaceSize expected;
  } const cases[] = {
      {{800, 600}, {1280, 720}, {1920, 1080}, 1, false, {800, 600}},
      {{0, 0}, {1280, 720}, {2560, 1440}, 2, false, {1280, 720}},
      {{0, 0}, {0, 0}, {2560, 1440}, 2, false, {1280, 720}},
      {{0, 0}, {0, 0}, {1920, 1080}, 1, true, {1080, 1920}},  // a portrait monitor
      {{0, 0}, {0, 0}, {0, 0}, 1, false, {0, 0}},             // no mode yet: wait for one
      {{0, 0}, {0, 0}, {0, 0}, 0, true, {0, 0}},
      {{640, 0}, {0, 0}, {1920, 1080}, 1, false, {640, 1080}},
  };
  for (const Case& c : cases) {
    const SurfaceSize size = ChooseSurfaceSize(c.asked, c.layout, c.mode, c.scale, c.turned);
    EXPECT_EQ(size.width, c.expected.width) << c.mode.width << " " << c.turned;
    EXPECT_EQ(size.height, c.expected.height) << c.mode.width << " " << c.turned;
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

// EGL's lists in their order: deeper colour first, then 8 bits a channel, then less.
TEST(ChooseColourConfig, TakesTheFirstEightBitConfigurationWhereverEglListsIt) {
  const ColourDepth ten{10, 10, 10}, sixteen{16, 16, 16}, eight{8, 8, 8}, six{5, 6, 5};
  const auto list = [](std::initializer_list<std::pair<int, ColourDepth>> runs) {
    std::vector<ColourDepth> configs;
    for (const auto& [count, depth] : runs) configs.insert(configs.end(), count, depth);
    return configs;
  };
  struct Case {
    const char* driver;
    std::vector<ColourDepth> configs;
    int chosen;
  } const cases[] = {
      {"llvmpipe: the 21st of 40", list({{20, ten}, {12, eight}, {8, six}}), 20},
      // Both 10-bit layouts and half-float colour, each with several multisample levels and
      // depth and stencil sizes.
      {"a graphics card's: hundreds before it", list({{96, sixteen}, {192, ten}, {96, eight}, {48, six}}), 288},
      {"none of 8 bits", list({{70, ten}, {10, six}}), -1},
      {"an empty list", {}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ChooseColourConfig(c.configs), c.chosen) << c.driver;
}

TEST(PointerOrigin, EndsTheSaverBeyondThirtyPixelsOrInAnotherSpace) {
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
  // So does the end of the surface it was taken over, and only that.
  origin.ForgetSpace(&first);
  EXPECT_TRUE(origin.TakePosition(&first, 0, 0));
  origin.ForgetSpace(&second);
  EXPECT_FALSE(origin.TakePosition(&first, 500, 500));
}
