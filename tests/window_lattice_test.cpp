#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/window_lattice.h"

namespace {

struct Animation {
  int32_t mode;
  float phases[3], drifts[3];
  bool operator==(const Animation& other) const { return std::memcmp(this, &other, sizeof other) == 0; }
};

Animation CurrentAnimation() { return {PatternMode, {PhaseA, PhaseB, PhaseC}, {DriftA, DriftB, DriftC}}; }

}  // namespace

TEST(StartLattice, LaysOutForTheWindowAndKeepsAGivenMode) {
  StartLattice(100, 1920, 1080, 4);
  EXPECT_EQ(ColCount, 178);
  EXPECT_EQ(PatternMode, 4);
  StartLattice(50, 133, 100, std::nullopt);
  EXPECT_EQ(ColCount, 66);
  EXPECT_GE(PatternMode, 1);
  EXPECT_LE(PatternMode, 5);
}

// A window that changes size gets a lattice that fits it, and the picture keeps its pattern and
// motion; a window that keeps its size keeps its lattice, jitter included.
TEST(FollowWindowSize, RebuildsOnlyForANewSizeAndCarriesTheAnimationOn) {
  StartLattice(50, 320, 200, 2);
  struct Step {
    int32_t width, height;
    bool rebuilt;
    int32_t columns;
  } const steps[] = {
      {320, 200, false, 80}, {1920, 1080, true, 89}, {1920, 1080, false, 89},
      {100, 1000, true, 5},  {1, 1, true, 50},       {100000, 1, true, MaxCols - 1},
  };
  for (const Step& step : steps) {
    ComputeFrame();
    const Animation before = CurrentAnimation();
    const std::vector<float> jitter(&Jitter[0][0], &Jitter[0][0] + MaxRows * MaxCols);
    EXPECT_EQ(FollowWindowSize(step.width, step.height), step.rebuilt) << step.width << "x" << step.height;
    EXPECT_TRUE(CurrentAnimation() == before) << step.width << "x" << step.height;
    EXPECT_EQ(RowCount, 50);
    EXPECT_EQ(ColCount, step.columns) << step.width << "x" << step.height;
    EXPECT_FLOAT_EQ(GridX[0][ColCount], 0.5f + 0.25f / ColCount);
    if (!step.rebuilt) {
      EXPECT_TRUE(std::equal(jitter.begin(), jitter.end(), &Jitter[0][0])) << step.width << "x" << step.height;
    }
  }
}
