#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "lattice/lattice.h"
#include "lattice/random.h"

namespace {

void BuildFor(int32_t width, int32_t height, int32_t rows, uint32_t seed) {
  ScreenWidth = width;
  ScreenHeight = height;
  SetRandomSeed(seed);
  BuildSeededLattice(rows);
}

// One LCG step: how a test sees that exactly one draw was made.
uint32_t NextSeed(uint32_t seed) { return seed * 134775813u + 1u; }

}  // namespace

TEST(ColumnCount, FollowsTheAspectRatioAndRoundsHalfwayToEven) {
  struct Case {
    int32_t rows, width, height, columns;
  } const cases[] = {
      {100, 1024, 768, 133}, {100, 1920, 1080, 178}, {100, 1280, 1024, 125},
      {50, 133, 100, 66},    // 66.5 goes down to the even neighbour
      {100, 267, 200, 134},  // 133.5 goes up to the even neighbour
      {50, 1599, 100, 800},  // 799.5
      {100, 3840, 1600, 240},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColumnCountFor(c.rows, c.width, c.height), c.columns) << c.width << " x " << c.height;
}

TEST(ColumnCount, StaysWithinTheArraysForDegenerateWindows) {
  struct Case {
    int32_t rows, width, height, columns;
  } const cases[] = {
      {50, 1601, 100, 800},              // 800.5 would overrun the arrays
      {50, 100000, 10, 800},             // far wider than 16:1
      {100, 1920, 0, 800},               // zero height counts as one pixel
      {100, 1920, -5, 800},
      {100, 0, 1080, 1},                 // zero width still leaves one column
      {100, -1920, 1080, 1},
      {100, 0, 0, 100},
      {600, 2147483647, 1, 800},         // the product would overflow 32 bits
      {1, 1, 2147483647, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColumnCountFor(c.rows, c.width, c.height), c.columns) << c.width << " x " << c.height;
}

TEST(BuildLattice, DrawsPhasesDriftsAndModeInOrderFromTheSeed) {
  BuildFor(1920, 1080, 100, 1);
  EXPECT_EQ(PhaseA, static_cast<float>(0.213L));
  EXPECT_EQ(PhaseB, static_cast<float>(5.855L));
  EXPECT_EQ(PhaseC, static_cast<float>(1.377L));
  EXPECT_EQ(DriftA, static_cast<float>(-0.00064L));
  EXPECT_EQ(DriftB, static_cast<float>(0.00144L));
  EXPECT_EQ(DriftC, static_cast<float>(0.00073L));
  EXPECT_EQ(RowCount, 100);
  EXPECT_EQ(ColCount, 178);
  EXPECT_GE(PatternMode, 1);
  EXPECT_LE(PatternMode, 5);
}

TEST(BuildLattice, PlacesAlternateRowsHalfAColumnApart) {
  BuildFor(1024, 768, 100, 7);
  const long double quarter = 1.0L / (4 * 133);
  EXPECT_EQ(GridX[0][0], static_cast<float>(quarter - 0.5L));
  EXPECT_EQ(GridY[0][0], -0.5f);
  EXPECT_EQ(GridX[1][0], static_cast<float>(-quarter - 0.5L));
  EXPECT_EQ(GridX[2][133], static_cast<float>(quarter + 1 - 0.5L));
  for (int32_t j = 0; j <= ColCount; ++j) EXPECT_EQ(GridY[100][j], 0.5f);
  EXPECT_EQ(GridY[50][7], 0.0f);
}

TEST(BuildLattice, GivesEveryNodeAJitterOfTenSteps) {
  BuildFor(1024, 768, 100, 99);
  int used[10] = {};
  for (int32_t i = 0; i <= RowCount; ++i)
    for (int32_t j = 0; j <= ColCount; ++j) {
      const float jitter = Jitter[i][j];
      const long double k = std::round(static_cast<long double>(jitter) * 350);
      ASSERT_TRUE(k >= 0 && k <= 9) << jitter;
      ASSERT_EQ(jitter, static_cast<float>(k / 350));
      ++used[static_cast<int>(k)];
    }
  for (int count : used) EXPECT_GT(count, 0);
}

TEST(BuildLattice, KeepsTheRowCountWithinTheArrays) {
  for (auto [asked, kept] : {std::pair{0, 1}, {-3, 1}, {601, 600}, {100000, 600}, {600, 600}}) {
    BuildFor(800, 800, asked, 3);
    EXPECT_EQ(RowCount, kept) << asked;
  }
}

TEST(Frames, WriteEveryNodeInsideTheLatticeAndNoneOutside) {
  static NodeArray* const arrays[] = {&GridX, &GridY, &Jitter, &ChannelR, &ChannelG, &ChannelB, &Relief};
  for (int32_t mode = 1; mode <= 5; ++mode) {
    for (NodeArray* array : arrays) std::memset(*array, 0x7F, sizeof *array);  // a float of about 3.4e38
    BuildFor(1024, 768, 100, 42);
    PatternMode = mode;
    ComputeFrame();
    for (NodeArray* array : arrays)
      for (int32_t i = 0; i < MaxRows; ++i)
        for (int32_t j = 0; j < MaxCols; ++j) {
          const bool inside = i <= 100 && j <= 133;
          float untouched;
          std::memset(&untouched, 0x7F, sizeof untouched);
          ASSERT_EQ((*array)[i][j] != untouched || std::isnan((*array)[i][j]), inside)
              << "mode " << mode << " node " << i << "," << j;
        }
  }
}

// Steps not drawn advance the phases alone, and leave every bit of the next frame and state as is.
TEST(Frames, StepsNotComputedLeaveTheFrameEveryStepWould) {
  for (int32_t mode = 1; mode <= 5; ++mode) {
    std::string frames[2];
    for (int skipping = 0; skipping < 2; ++skipping) {
      BuildFor(640, 480, 20, 77);
      PatternMode = mode, PhaseA = 6.28f, DriftA = 0.002f;  // turns at once: the generator is drawn on
      for (int steps : {1, 3, 7, 2}) {
        if (skipping) ComputeFrameAfter(steps);
        for (int step = 0; !skipping && step < steps; ++step) ComputeFrame();
      }
      for (const NodeArray* array : {&ChannelR, &ChannelG, &ChannelB, &Relief})
        frames[skipping].append(reinterpret_cast<const char*>(*array), sizeof *array);
      const float state[] = {PhaseA, PhaseB, PhaseC, DriftA, DriftB, DriftC};
      frames[skipping].append(reinterpret_cast<const char*>(state), sizeof state) += std::to_string(RandomSeed());
    }
    EXPECT_TRUE(frames[0] == frames[1]) << "mode " << mode;
  }
}

TEST(AdvancePhases, TurnsAPhaseThatStartsAboveTwoPiAndKeepsRedrawingUntilBelow) {
  BuildFor(640, 480, 10, 5);
  PhaseB = 6.799f;
  DriftB = 0.001f;
  uint32_t seed = RandomSeed();
  AdvancePhases();
  EXPECT_EQ(PhaseB, static_cast<float>(6.799f + 0.001L));
  EXPECT_LT(DriftB, 0);
  // Each frame above 2 pi falls by its drift and draws a fresh negative one.
  for (int frame = 0; PhaseB >= 6.283185307179586477L; ++frame) {
    ASSERT_LT(frame, 100000);
    seed = RandomSeed();
    const float before = PhaseB, drift = DriftB;
    PhaseA = 3, PhaseC = 3;  // keep the other phases from drawing
    AdvancePhases();
    ASSERT_EQ(PhaseB, static_cast<float>(before + static_cast<long double>(drift)));
    ASSERT_LE(DriftB, -0.0001f);
    ASSERT_GE(DriftB, -0.00209f);
    if (PhaseB >= 6.283185307179586477L) {
      ASSERT_EQ(RandomSeed(), NextSeed(seed));
    }
  }
  seed = RandomSeed();
  PhaseA = 3, PhaseC = 3;
  AdvancePhases();
  EXPECT_EQ(RandomSeed(), seed) << "no draw once the phase is back below 2 pi";
}

TEST(AdvancePhases, TurnsAPhaseThatReachesZeroUpwards) {
  struct Case {
    float phase, drift;
    bool turns;
  } const cases[] = {
      {0.0f, -0.0001f, true},       // starts at 0 and goes negative
      {0.0005f, -0.0005f, true},    // lands exactly on 0: not above 0
      {0.0005f, -0.0004f, false},
      {3.0f, 0.001f, false},
  };
  for (const Case& c : cases) {
    BuildFor(640, 480, 10, 11);
    PhaseA = c.phase, DriftA = c.drift;
    PhaseB = 3, PhaseC = 3;
    const uint32_t seed = RandomSeed();
    AdvancePhases();
    EXPECT_EQ(RandomSeed() != seed, c.turns) << c.phase;
    EXPECT_EQ(DriftA > 0, c.turns || c.drift > 0) << c.phase;
  }
}

TEST(AdvancePhases, TreatsTheFloatNearestTwoPiAsNotBelowIt) {
  BuildFor(640, 480, 10, 13);
  PhaseC = 6.2831855f, DriftC = 0;  // just above the extended 2 pi
  PhaseA = 3, PhaseB = 3;
  const uint32_t seed = RandomSeed();
  AdvancePhases();
  EXPECT_LT(DriftC, 0);
  EXPECT_EQ(RandomSeed(), NextSeed(seed)) << "only one of the two tests fires";
}
