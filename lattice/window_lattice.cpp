#include "lattice/window_lattice.h"

#include "lattice/lattice.h"
#include "lattice/random.h"

uint32_t StartSeededLattice(int32_t rows, int32_t width, int32_t height, std::optional<uint32_t> seed,
                            std::optional<int32_t> mode) {
  ScreenWidth = width;
  ScreenHeight = height;
  if (seed)
    SetRandomSeed(*seed);
  else
    Randomize();
  const uint32_t start = RandomSeed();
  BuildSeededLattice(rows);
  if (mode) PatternMode = *mode;
  return start;
}

void StartLattice(int32_t rows, int32_t width, int32_t height, std::optional<int32_t> mode) {
  StartSeededLattice(rows, width, height, std::nullopt, mode);
}

bool FollowWindowSize(int32_t width, int32_t height) {
  if (width == ScreenWidth && height == ScreenHeight) return false;
  const int32_t mode = PatternMode;
  const float phases[] = {PhaseA, PhaseB, PhaseC}, drifts[] = {DriftA, DriftB, DriftC};
  ScreenWidth = width;
  ScreenHeight = height;
  // The generator carries on too: only the new nodes' jitter is drawn from it.
  BuildSeededLattice(RowCount);
  PatternMode = mode;
  PhaseA = phases[0], PhaseB = phases[1], PhaseC = phases[2];
  DriftA = drifts[0], DriftB = drifts[1], DriftC = drifts[2];
  return true;
}
