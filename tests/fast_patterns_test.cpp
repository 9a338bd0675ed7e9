#include <gtest/gtest.h>

#include <xsimd/xsimd.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lattice/batch_functions.h"
#include "lattice/bounded.h"
#include "lattice/extended.h"
#include "lattice/fast_patterns.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/random.h"

namespace {

struct Frame {
  std::vector<float> values;  // the offsets, then every node's channels and height
};

Frame ComputeCurrentFrame(bool exact) {
  ExactArithmetic = exact;
  ComputePattern();
  ExactArithmetic = false;
  Frame frame{{OffsetX, OffsetY}};
  for (int32_t i = 0; i <= RowCount; ++i)
    for (int32_t j = 0; j <= ColCount; ++j)
      for (const NodeArray* array : {&ChannelR, &ChannelG, &ChannelB, &Relief}) frame.values.push_back((*array)[i][j]);
  return frame;
}

// The first value whose bits differ, or -1.
long FirstDifference(const Frame& a, const Frame& b) {
  for (size_t index = 0; index < a.values.size(); ++index)
    if (std::memcmp(&a.values[index], &b.values[index], sizeof(float)) != 0) return static_cast<long>(index);
  return -1;
}

// Restores the widest instruction set when a test is done with another.
struct InstructionSetScope {
  ~InstructionSetScope() { UseFastInstructionSet(FastInstructionSets().front()); }
};

}  // namespace

// Frame N's channels depend only on its phases, so the phases are advanced to frame N and that
// one frame is computed both ways.
TEST(FastPatterns, GiveTheExtendedBitsOnEveryInstructionSetModeSizeSeedAndFrame) {
  struct Size {
    int32_t width, height, rows;
  } const sizes[] = {{1920, 1080, 100}, {1024, 768, 100}, {3840, 1600, 100}, {133, 100, 50}};
  InstructionSetScope restore;
  for (const std::string& set : FastInstructionSets()) {
    ASSERT_TRUE(UseFastInstructionSet(set));
    for (int32_t mode = 1; mode <= 5; ++mode)
      for (const Size& size : sizes)
        for (uint32_t seed : {1u, 20261208u, 4000000000u}) {
          ScreenWidth = size.width, ScreenHeight = size.height;
          SetRandomSeed(seed);
          BuildSeededLattice(size.rows);
          PatternMode = mode;
          int frame = 0;
          for (int target : {1, 100, 2000}) {
            for (; frame < target; ++frame) AdvancePhases();
            const long difference = FirstDifference(ComputeCurrentFrame(false), ComputeCurrentFrame(true));
            ASSERT_EQ(difference, -1) << set << " mode " << mode << " " << size.width << "x" << size.height << " seed "
                                      << seed << " frame " << target;
          }
        }
  }
}

// The fast path keeps each node's fixed terms across frames: whatever they depend on changes
// here between two frames, and the next frame must still give the extended bits.
TEST(FastPatterns, RecomputeTheKeptTermsWhenTheLatticeModeOrInstructionSetChanges) {
  const std::vector<std::string> sets = FastInstructionSets();
  enum Layout { Kept, Built, Mirrored };  // Mirrored: the same counts, every GridX negated
  const struct Change {
    const char* what;
    Layout layout;
    int32_t rows, mode;
    const std::string& set;
  } changes[] = {{"first frame", Built, 100, 1, sets.front()},     {"mode", Kept, 100, 4, sets.front()},
                 {"grid, same counts", Mirrored, 100, 4, sets.front()}, {"rows", Built, 50, 4, sets.front()},
                 {"instruction set", Kept, 50, 4, sets.back()},    {"first set again", Kept, 50, 4, sets.front()}};
  InstructionSetScope restore;
  ScreenWidth = 1920, ScreenHeight = 1080;
  for (const Change& change : changes) {
    ASSERT_TRUE(UseFastInstructionSet(change.set));
    if (change.layout == Built) SetRandomSeed(7), BuildSeededLattice(change.rows);
    if (change.layout == Mirrored) {
      for (int32_t i = 0; i <= RowCount; ++i)
        for (int32_t j = 0; j <= ColCount; ++j) GridX[i][j] = -GridX[i][j];
      ++LatticeLayouts;
    }
    PatternMode = change.mode;
    AdvancePhases();
    EXPECT_EQ(FirstDifference(ComputeCurrentFrame(false), ComputeCurrentFrame(true)), -1) << change.what;
  }
}

TEST(FastPatterns, ReproduceTheWorkedExamplesOnAFullRow) {
  struct Case {
    int mode;
    float phaseA, phaseB, phaseC, gridX, gridY;
    const char* red;
  } const cases[] = {
      {1, 0.25f, 0.75f, 0.5f, 0.25f, -0.125f, "0.4523"}, {2, 0.25f, 0.75f, 0.5f, 0.25f, -0.125f, "0.2937"},
      {3, 0.25f, 0.75f, 0.5f, 0.25f, -0.125f, "0.9076"}, {4, 0.25f, 0.0f, 0.0f, 0.25f, -0.25f, "0.6256"},
      {5, 0.25f, 0.0f, 0.0f, 0.25f, -0.25f, "0.5304"},
  };
  for (const Case& c : cases) {
    RowCount = 0, ColCount = 63;  // wide enough for every instruction set's batches
    for (int32_t j = 0; j <= ColCount; ++j) GridX[0][j] = c.gridX, GridY[0][j] = c.gridY, Jitter[0][j] = 0;
    ++LatticeLayouts;
    PhaseA = c.phaseA, PhaseB = c.phaseB, PhaseC = c.phaseC;
    PatternMode = c.mode;
    ComputePattern();
    for (int32_t j = 0; j <= ColCount; ++j) EXPECT_NEAR(ChannelR[0][j], std::strtod(c.red, nullptr), 0.5e-4) << c.mode;
  }
}

// A node whose seed log term lies this close to a float rounding boundary cannot be decided in
// double precision: the guard must hand it to the extended evaluation.
TEST(FastPatterns, HandNodesOnARoundingBoundaryToTheExtendedEvaluation) {
  // Mode 4 at GridY = 0: IterL[1] = 0.3 ln((2 GridX)^2 + 0.1). Search the floats for one whose
  // extended value sits within 2^-44 (relative) of a midpoint between two floats.
  float boundary = 0;
  for (uint32_t bits = 0x3E800000u; bits < 0x3F000000u && boundary == 0; ++bits) {
    float x;
    std::memcpy(&x, &bits, sizeof x);
    const float seed = static_cast<float>(2 * static_cast<Extended>(x));
    const Extended exact = 0.3L * Ln(static_cast<Extended>(seed) * seed + 0.0L + 0.1L);
    const float nearest = static_cast<float>(exact);
    const float other = std::nextafter(nearest, exact > nearest ? INFINITY : -INFINITY);
    const Extended midpoint = (static_cast<Extended>(nearest) + other) / 2;
    if (Abs(exact - midpoint) < Abs(exact) * 0x1p-44L) boundary = x;
  }
  ASSERT_NE(boundary, 0) << "no float near a rounding boundary in the searched range";

  InstructionSetScope restore;
  for (const std::string& set : FastInstructionSets()) {
    ASSERT_TRUE(UseFastInstructionSet(set));
    RowCount = 0, ColCount = 63;
    for (int32_t j = 0; j <= ColCount; ++j) GridX[0][j] = boundary, GridY[0][j] = 0, Jitter[0][j] = 0;
    ++LatticeLayouts;
    PhaseA = 1.1f, PhaseB = 2.2f, PhaseC = 3.3f;
    PatternMode = 4;
    const Frame fast = ComputeCurrentFrame(false);
    EXPECT_EQ(FastFallbacks, 64) << set << ": every node sits on the boundary";
    EXPECT_EQ(FirstDifference(fast, ComputeCurrentFrame(true)), -1) << set;
  }
}

// Values no lattice holds, but which the formulas must carry all the same: overflow to
// infinity, NaN, subnormals and signed zeros come out with the extended evaluation's bits.
TEST(FastPatterns, CarryInfinitiesNaNsAndSubnormalsLikeTheExtendedEvaluation) {
  const float extremes[] = {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 1e20f, 1e-40f, -1e-45f, 0.0f, -0.0f,
                            0.25f, -0.125f, 1e-8f, 7.5f, -1e5f, 0.5f};
  InstructionSetScope restore;
  for (const std::string& set : FastInstructionSets()) {
    ASSERT_TRUE(UseFastInstructionSet(set));
    for (int32_t mode = 1; mode <= 5; ++mode) {
      RowCount = 15, ColCount = 63;
      for (int32_t i = 0; i <= RowCount; ++i)
        for (int32_t j = 0; j <= ColCount; ++j) {
          GridX[i][j] = extremes[j % 16];
          GridY[i][j] = extremes[(i + j / 16) % 16];
          Jitter[i][j] = 0;
        }
      ++LatticeLayouts;
      PhaseA = 0.7f, PhaseB = 5.9f, PhaseC = 2.4f;
      PatternMode = mode;
      const Frame fast = ComputeCurrentFrame(false);
      EXPECT_GT(FastFallbacks, 0) << set << " mode " << mode;
      EXPECT_EQ(FirstDifference(fast, ComputeCurrentFrame(true)), -1) << set << " mode " << mode;
    }
  }
}

// The bound the guard assumes for the kernels' sine and logarithm must hold, with room, against
// the x87 instructions on the arguments the modes meet. They compute the same bits on every
// instruction set, so SSE2 speaks for all.
TEST(FastPatterns, KernelFunctionsStayWithinTheAssumedBound) {
  using Batch = xsimd::batch<double, xsimd::sse2>;
  double worstSine = 0, worstLn = 0;
  for (int step = 0; step < 400000; ++step) {
    // Most arguments within the range the modes meet, a tenth out to the guard's limit.
    const double x = step % 10 ? -70 + step * (140.0 / 400000) + 1e-7 * (step % 7) : step * (bounds::SineArgumentLimit / 400000);
    double lanes[2];
    BatchSine(Batch(x)).store_unaligned(lanes);
    const Extended reference = Sine(x);
    const double allowed = bounds::FunctionRelative * std::fabs(lanes[0]) + bounds::SineAbsolute * (1 + std::fabs(x));
    worstSine = std::max(worstSine, static_cast<double>(Abs(lanes[0] - reference)) / allowed);

    const double y = step % 10 ? std::exp(-18 + step * (24.0 / 400000))
                               : std::exp2(-1000 + step * (2000.0 / 400000)) * (1 + 1e-7 * (step % 7));
    BatchLog(Batch(y)).store_unaligned(lanes);
    const double allowedLn = bounds::FunctionRelative * std::fabs(lanes[0]) + bounds::LnAbsolute;
    worstLn = std::max(worstLn, static_cast<double>(Abs(lanes[0] - Ln(y))) / allowedLn);
  }
  std::printf("worst errors, as shares of the assumed bound: sine %.3g, logarithm %.3g\n", worstSine, worstLn);
  EXPECT_LT(worstSine, 1.0 / 64) << "sine errors come within a 64th of the assumed bound";
  EXPECT_LT(worstLn, 1.0 / 64) << "logarithm errors come within a 64th of the assumed bound";
}
