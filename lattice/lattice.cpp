#include "lattice/lattice.h"

#include <algorithm>

#include "lattice/extended.h"
#include "lattice/patterns.h"
#include "lattice/random.h"

NodeArray GridX, GridY, Relief, Jitter, ChannelR, ChannelG, ChannelB;
float IterX[WorkLength + 1], IterY[WorkLength + 1], IterL[WorkLength + 1];

int32_t ScreenWidth, ScreenHeight;
int32_t RowCount, ColCount, PatternMode;
float PhaseA, PhaseB, PhaseC;
float DriftA, DriftB, DriftC;
float OffsetX, OffsetY;
uint32_t LatticeLayouts;

namespace {

float FallingDrift() { return static_cast<float>(-0.0001L - static_cast<Extended>(Random(200)) / 100000); }
float RisingDrift() { return static_cast<float>(static_cast<Extended>(Random(200)) / 100000 + 0.0001L); }
float StartPhase() { return static_cast<float>(static_cast<Extended>(Random(6800)) / 1000); }

// Rounds half to even, as the x87 does in its default rounding mode.
int64_t RoundToNearestEven(Extended value) {
  const Extended floor = static_cast<Extended>(static_cast<int64_t>(value));
  const Extended fraction = value - floor;
  int64_t result = static_cast<int64_t>(floor);
  if (fraction > 0.5L || (fraction == 0.5L && (result & 1) != 0)) ++result;
  return result;
}

void TurnAtEnds(float& phase, float& drift) {
  phase = static_cast<float>(static_cast<Extended>(phase) + drift);
  if (!(phase < TwoPi)) drift = FallingDrift();
  if (!(phase > 0)) drift = RisingDrift();
}

}  // namespace

int32_t ColumnCountFor(int32_t rows, int32_t width, int32_t height) {
  const int64_t product = static_cast<int64_t>(rows) * std::max(width, 1);
  const Extended quotient = static_cast<Extended>(product) / std::max(height, 1);
  const Extended limited = std::min<Extended>(quotient, MaxCols - 1);
  return static_cast<int32_t>(std::max<int64_t>(RoundToNearestEven(limited), 1));
}

void BuildLattice(int32_t rows) {
  Randomize();
  BuildSeededLattice(rows);
}

void BuildSeededLattice(int32_t rows) {
  PhaseA = StartPhase();
  PhaseB = StartPhase();
  PhaseC = StartPhase();
  DriftA = FallingDrift();
  DriftB = RisingDrift();
  DriftC = RisingDrift();
  RowCount = std::clamp(rows, 1, MaxRows - 1);
  ColCount = ColumnCountFor(RowCount, ScreenWidth, ScreenHeight);
  const Extended shift = 1.0L / (4 * ColCount);
  for (int32_t i = 0; i <= RowCount; ++i) {
    const Extended side = Cosine(i * Pi);
    for (int32_t j = 0; j <= ColCount; ++j) {
      GridX[i][j] = static_cast<float>(side * shift + static_cast<Extended>(j) / ColCount - 0.5L);
      GridY[i][j] = static_cast<float>(static_cast<Extended>(i) / RowCount - 0.5L);
      Jitter[i][j] = static_cast<float>(static_cast<Extended>(Random(10)) / 350);
    }
  }
  PatternMode = Random(5) + 1;
  ++LatticeLayouts;
}

void AdvancePhases() {
  TurnAtEnds(PhaseA, DriftA);
  TurnAtEnds(PhaseB, DriftB);
  TurnAtEnds(PhaseC, DriftC);
}

void ComputeFrame() {
  AdvancePhases();
  ComputePattern();
}

void ComputeFrameAfter(int64_t steps) {
  for (int64_t step = 1; step < steps; ++step) AdvancePhases();
  ComputeFrame();
}
