#include <gtest/gtest.h>

#include <vector>

#include "lattice/fixed_terms.h"
#include "lattice/lattice.h"
#include "lattice/lattice_copy.h"
#include "lattice/random.h"

namespace {

struct Layout {
  uint32_t seed;
  int32_t rows, width, height;
};

// Lays the lattice out from a seed, with phase A about to turn, so the generator is drawn on
// within a few frames.
void StartSeeded(const Layout& layout) {
  SetRandomSeed(layout.seed);
  ScreenWidth = layout.width;
  ScreenHeight = layout.height;
  BuildSeededLattice(layout.rows);
  PhaseA = 6.28f;
  DriftA = 0.002f;
}

// What a frame leaves to draw, and where the animation goes on from.
std::vector<float> Picture() {
  std::vector<float> picture{PhaseA, PhaseB, PhaseC, DriftA, DriftB, DriftC, static_cast<float>(RandomSeed())};
  for (int i = 0; i <= RowCount; ++i) {
    picture.insert(picture.end(), ChannelR[i], ChannelR[i] + ColCount + 1);
    picture.insert(picture.end(), Relief[i], Relief[i] + ColCount + 1);
  }
  return picture;
}

}  // namespace

// Lattices of different sizes, animated in turn through copies, each draw exactly what it draws
// alone: nothing of one leaks into the other.
TEST(LatticeCopy, LatticesTakingTurnsEachAnimateAsIfAlone) {
  const Layout layouts[] = {{12345, 100, 1920, 1080}, {777, 50, 640, 960}, {9, 3, 100, 100}};
  constexpr int Frames = 40;
  std::vector<std::vector<float>> alone;
  for (const Layout& layout : layouts) {
    StartSeeded(layout);
    for (int frame = 0; frame <= Frames; ++frame) ComputeFrame();
    alone.push_back(Picture());
  }

  std::vector<LatticeCopy> copies(std::size(layouts));
  for (size_t index = 0; index < copies.size(); ++index) {
    // Started on its own store, its first frame fills the terms it finds at its first turn.
    UseOwnFixedTerms(copies[index]);
    StartSeeded(layouts[index]);
    ComputeFrame();
    CopyLatticeOut(copies[index]);
  }
  for (int frame = 0; frame < Frames; ++frame) {
    for (size_t index = 0; index < copies.size(); ++index) {
      PutLatticeBack(copies[index]);
      EXPECT_EQ(FixedTerms->layouts, LatticeLayouts) << "lattice " << index;
      ComputeFrame();
      if (frame == Frames - 1) {
        EXPECT_EQ(Picture(), alone[index]) << "lattice " << index;
      }
      CopyLatticeOut(copies[index]);
    }
  }
}
