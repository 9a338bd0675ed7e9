#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/random.h"

namespace {

// A lattice of the given nodes in one row, with zero jitter, at the given phases.
void PlaceNodes(const std::vector<std::pair<float, float>>& nodes, float a, float b, float c) {
  RowCount = 0;
  ColCount = static_cast<int32_t>(nodes.size()) - 1;
  for (size_t j = 0; j < nodes.size(); ++j) {
    GridX[0][j] = nodes[j].first;
    GridY[0][j] = nodes[j].second;
    Jitter[0][j] = 0;
  }
  PhaseA = a, PhaseB = b, PhaseC = c;
}

// Checks a value against a figure written to some number of digits: it must round to it.
void ExpectShown(float actual, const std::string& shown, const std::string& what) {
  const size_t point = shown.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(shown.size() - point - 1);
  EXPECT_NEAR(actual, std::strtod(shown.c_str(), nullptr), 0.5 * std::pow(10.0, -decimals)) << what << " shown as " << shown;
}

// Channels are shown before folding, and arrive folded.
void ExpectShownChannel(float actual, const std::string& shown, const std::string& what) {
  const float unfolded = static_cast<float>(std::strtod(shown.c_str(), nullptr));
  if (unfolded <= 1) return ExpectShown(actual, shown, what);
  EXPECT_NEAR(actual, FoldChannel(unfolded), 0.5e-3) << what << " shown unfolded as " << shown;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct WorkedExample {
  int mode;
  float phaseA, phaseB, phaseC, gridX, gridY;
  // OffsetX, OffsetY, then X, Y, L of the seed and the three steps, then R, G, B.
  const char* values[16];
};

const WorkedExample Examples[] = {
    {1, 0.25f, 0.75f, 0.5f, 0.25f, -0.125f,
     {"-0.375", "-0.375", "1.25", "0.625", "-0.4937", "1.040", "0.1647", "0.02582", "0.6312", "-0.2117", "-0.2228",
      "0.2771", "-0.5721", "-0.2045", "0.4523", "0.4721"}},
    {2, 0.25f, 0.75f, 0.5f, 0.25f, -0.125f,
     {"0.5", "-0.5", "0.5", "-0.25", "0.1601", "1.549", "-2.062", "0.5729", "0.5458", "-8.002", "1.250", "0.5001",
      "-0.6345", "-0.08524", "0.2937", "1.118"}},
    {3, 0.25f, 0.75f, 0.5f, 0.25f, -0.125f,
     {"0.5", "0", "0.25", "-0.125", "-0.3952", "-0.2700", "0.3194", "-0.3874", "1.495", "-0.8138", "0.3294", "3.922",
      "-0.2005", "0.8226", "0.9076", "0.5748"}},
    {4, 0.25f, 0.0f, 0.0f, 0.25f, -0.25f,
     {"1", "1", "0.5", "-0.5", "-0.1532", "-0.05776", "2.058", "0.2893", "1.098", "-0.4997", "0.07641", "-1.365",
      "2.273", "0.3903", "0.6256", "0.2782"}},
    {5, 0.25f, 0.0f, 0.0f, 0.25f, -0.25f,
     {"-0.5", "0.5", "1.118", "-1.25", "0.2075", "0.2401", "-5.246", "0.9952", "-0.4023", "-2.700", "0.6027", "-0.7197",
      "-1.427", "0.2814", "0.5304", "0.7763"}},
};
const char* const ExampleBlue[] = {"0.1607", "0.7576", "0.6232", "0.5388", "0.9976"};

}  // namespace

TEST(PatternModes, ReproduceTheWorkedExamples) {
  for (const WorkedExample& e : Examples) {
    const std::string mode = "mode " + std::to_string(e.mode) + " ";
    PlaceNodes({{e.gridX, e.gridY}}, e.phaseA, e.phaseB, e.phaseC);
    PatternMode = e.mode;
    ComputePattern();
    ExpectShown(OffsetX, e.values[0], mode + "OffsetX");
    ExpectShown(OffsetY, e.values[1], mode + "OffsetY");
    for (int k = 1; k <= 4; ++k) {
      const std::string step = mode + "[" + std::to_string(k) + "]";
      ExpectShown(IterX[k], e.values[2 + 3 * (k - 1)], step + " IterX");
      ExpectShown(IterY[k], e.values[3 + 3 * (k - 1)], step + " IterY");
      if (k < 4) ExpectShown(IterL[k], e.values[4 + 3 * (k - 1)], step + " IterL");
    }
    ExpectShown(IterL[4], e.values[13], mode + "IterL[4]");
    ExpectShownChannel(ChannelR[0][0], e.values[14], mode + "red");
    ExpectShownChannel(ChannelG[0][0], e.values[15], mode + "green");
    ExpectShownChannel(ChannelB[0][0], ExampleBlue[e.mode - 1], mode + "blue");
  }
}

TEST(PatternModes, ModeFiveAtTheOriginFoldsABlueAboveOne) {
  PlaceNodes({{0, 0}}, 0, 0, 0);
  PatternMode = 5;
  ComputePattern();
  EXPECT_LT(IterL[1] + 0.01f + IterX[1] * IterX[1] + IterL[1] * IterL[1], 0) << "the first X denominator is negative";
  ExpectShown(IterX[2], "-0.1555", "IterX[2]");
  ExpectShown(2 - ChannelB[0][0], "1.051", "blue before folding");
  ExpectShown(ChannelB[0][0], "0.949", "blue");
  ExpectShown(ChannelR[0][0], "0.482", "red");
  ExpectShown(ChannelG[0][0], "0.644", "green");
}

TEST(PatternModes, GiveTheMiddleRowItsFixedSeedLogTerm) {
  const float phaseC = 1.3f;
  const float expected[] = {static_cast<float>(std::log(1e-7L)), 0.1f,
                            static_cast<float>((std::sin(static_cast<long double>(phaseC)) / 20 + 0.1L) * std::log(0.01L))};
  for (int mode = 1; mode <= 3; ++mode)
    for (float x : {-0.4f, 0.0f, 0.1234f, 0.5f}) {
      PlaceNodes({{x, 0}}, 2.0f, 4.0f, phaseC);
      PatternMode = mode;
      ComputePattern();
      EXPECT_NEAR(IterL[1], expected[mode - 1], 1e-6f * std::fabs(expected[mode - 1])) << "mode " << mode << " x " << x;
    }
  EXPECT_NEAR(expected[0], -16.118f, 0.0005f);
}

TEST(PatternModes, MirroredNodesGetIdenticalChannelsWhereTheFormulasAreEven) {
  struct Case {
    int mode;
    bool mirrorY;  // also mirror the y coordinate
    bool identical;
  } const cases[] = {
      {1, false, true}, {1, true, true}, {3, false, true}, {5, false, true}, {4, false, false},
  };
  const float phases[][3] = {{0.25f, 0.75f, 0.5f}, {5.1f, 2.2f, 3.3f}, {0.01f, 6.2f, 1.9f}};
  for (const Case& c : cases)
    for (const auto& p : phases) {
      int differing = 0;
      for (auto [x, y] : {std::pair{0.3f, 0.2f}, {0.0123f, -0.41f}, {0.49f, 0.5f}, {0.17f, -0.06f}}) {
        PlaceNodes({{x, y}, {-x, c.mirrorY ? -y : y}}, p[0], p[1], p[2]);
        PatternMode = c.mode;
        ComputePattern();
        const bool same = SameBits(ChannelR[0][0], ChannelR[0][1]) && SameBits(ChannelG[0][0], ChannelG[0][1]) &&
                          SameBits(ChannelB[0][0], ChannelB[0][1]);
        if (c.identical) {
          EXPECT_TRUE(same) << "mode " << c.mode << " at " << x << "," << y;
        }
        differing += !same;
      }
      if (!c.identical) {
        EXPECT_GT(differing, 0) << "mode " << c.mode;
      }
    }
}

TEST(PatternModes, DependOnlyOnThePhasesNotOnEarlierFrames) {
  ScreenWidth = 320, ScreenHeight = 200;
  SetRandomSeed(77);
  BuildSeededLattice(20);
  static NodeArray first;
  for (int mode = 1; mode <= 5; ++mode) {
    PatternMode = mode;
    PhaseA = 1.5f, PhaseB = 2.5f, PhaseC = 3.5f;
    ComputePattern();
    std::memcpy(first, ChannelR, sizeof first);
    PhaseA = 4.0f, PhaseB = 0.1f, PhaseC = 6.0f;
    ComputePattern();
    PhaseA = 1.5f, PhaseB = 2.5f, PhaseC = 3.5f;
    ComputePattern();
    EXPECT_EQ(std::memcmp(first, ChannelR, sizeof first), 0) << "mode " << mode;
  }
}

TEST(PatternModes, ModeFourKeepsEveryChannelInsideItsRange) {
  ScreenWidth = 1024, ScreenHeight = 768;
  SetRandomSeed(5);
  BuildSeededLattice(100);
  PatternMode = 4;
  for (const auto& p : {std::array<float, 3>{0, 0, 0}, {1.1f, 2.2f, 3.3f}, {6.7f, 0.3f, 4.4f}}) {
    PhaseA = p[0], PhaseB = p[1], PhaseC = p[2];
    ComputePattern();
    for (int32_t i = 0; i <= RowCount; ++i)
      for (int32_t j = 0; j <= ColCount; ++j)
        for (float channel : {ChannelR[i][j], ChannelG[i][j], ChannelB[i][j]}) {
          ASSERT_GE(channel, 0.0316f);
          ASSERT_LE(channel, 0.9603f);
        }
  }
  PlaceNodes({{0, 0}}, 0, 0, 0);
  ComputePattern();
  for (float channel : {ChannelR[0][0], ChannelG[0][0], ChannelB[0][0]}) ExpectShown(channel, "0.9602", "origin");
}

TEST(PatternModes, ModeFiveNeverShiftsXUpwards) {
  PatternMode = 5;
  for (float a = 0; a < 6.8f; a += 0.37f)
    for (float c = 0; c < 6.8f; c += 0.41f) {
      PlaceNodes({{0.1f, 0.1f}}, a, 1.0f, c);
      ComputePattern();
      ASSERT_LE(OffsetX, 0) << a << "," << c;
    }
  PlaceNodes({{0.1f, 0.1f}}, 0.25f, 0, 0);
  ComputePattern();
  EXPECT_EQ(OffsetX, -0.5f);
}

TEST(PatternModes, AModeOutsideOneToFiveComputesNothing) {
  for (int mode : {0, 6, -1}) {
    PlaceNodes({{0.25f, 0.25f}}, 1, 2, 3);
    ChannelR[0][0] = 42;
    PatternMode = mode;
    ComputePattern();
    EXPECT_EQ(ChannelR[0][0], 42) << mode;
  }
}

TEST(FoldChannel, GivesTheDistanceToTheNearestEvenIntegerUpToTen) {
  struct Case {
    float in, out;
  } const cases[] = {
      {0.3f, 0.3f}, {1, 1},   {1.5f, 0.5f}, {2, 0},       {3, 1},     {4, 0},        {5, 1},
      {7.25f, 0.75f}, {9, 1}, {10, 0},      {10.5f, -0.5f}, {12, -2}, {-0.5f, -0.5f}, {0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FoldChannel(c.in), c.out) << c.in;
  EXPECT_TRUE(std::isnan(FoldChannel(std::nanf(""))));
  EXPECT_EQ(FoldChannel(-INFINITY), -INFINITY);
}

TEST(FinishNode, LiftsTheNodeByTheSineOfItsChannelSumPlusItsJitter) {
  struct Case {
    float red, green, blue, jitter;
    double height;
  } const cases[] = {
      {0, 0, 0, 0, 0},
      {0.25f, 0, 0, 0, 1.0 / 30},
      {0.25f, 0, 0, 9.0f / 350, 1.0 / 30 + 9.0 / 350},
      {0.5f, 0.25f, 0, 3.0f / 350, -1.0 / 30 + 3.0 / 350},
      {1, 1, 1, 2.0f / 350, 2.0 / 350},
      {2.5f, 0, 0, 0, 0},  // folds to 0.5 first: half a turn
  };
  for (const Case& c : cases) {
    ChannelR[3][4] = c.red, ChannelG[3][4] = c.green, ChannelB[3][4] = c.blue, Jitter[3][4] = c.jitter;
    FinishNode(3, 4);
    EXPECT_NEAR(Relief[3][4], c.height, 1e-7) << c.red << "," << c.green << "," << c.blue;
  }
}
