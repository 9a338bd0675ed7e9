#include <gtest/gtest.h>

#include <chrono>

#include "lattice/random.h"

TEST(Random, DrawsTheHighHalfOfTheProductOfTheNewSeedAndTheRange) {
  struct Case {
    uint32_t seed;
    int32_t range;
    int32_t draw;
    uint32_t nextSeed;
  } const cases[] = {
      {0, 100, 0, 1},
      {1, 100, 3, 134775814},
      {134775814, 100, 86, 3698175007u},
      {3698175007u, 6800, 1377, 870078620},
      {1, 6800, 213, 134775814},
      {0xFFFFFFFFu, 2, 1, 4160191484u},
      {4160191484u, 1000000, 201711, 866343917},
      {12345, 2147483647, 827533966, 1655067934},
  };
  for (const Case& c : cases) {
    SetRandomSeed(c.seed);
    EXPECT_EQ(Random(c.range), c.draw) << "seed " << c.seed << " range " << c.range;
    EXPECT_EQ(RandomSeed(), c.nextSeed) << "seed " << c.seed;
  }
}

TEST(Random, StaysBelowItsRangeEvenForTheLargestSeed) {
  for (int32_t range : {1, 2, 5, 10, 200, 6800}) {
    SetRandomSeed(0xFFFFFFFFu - 134775813u);  // the next seed is the largest possible
    const int32_t draw = Random(range);
    EXPECT_GE(draw, 0);
    EXPECT_LT(draw, range);
  }
}

TEST(Randomize, SeedsWithTheMillisecondOfTheUtcDay) {
  using namespace std::chrono;
  const auto millisecondOfDay = [] {
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 86400000;
  };
  const auto before = millisecondOfDay();
  Randomize();
  const auto after = millisecondOfDay();
  if (after < before) GTEST_SKIP() << "the UTC day turned during the test";
  EXPECT_GE(RandomSeed(), before);
  EXPECT_LE(RandomSeed(), after);
}
