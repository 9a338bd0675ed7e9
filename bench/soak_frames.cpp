// The frame half of the soak: a million frames (or the count given) of every pattern mode on a
// small lattice, through the path the saver runs, checking after every frame that
//   - every channel and height is finite wherever the extended evaluation's is: a frame with a
//     value that is not is computed again in extended precision from the same state, and that
//     value must not be finite there either;
//   - every phase stays within [-D, max(S, 2*pi) + D], where S is the phase's start value (up
//     to 6.799) and D = 0.00209 the largest drift. A phase leaves 0..2*pi only by one step from
//     inside, since a phase beyond either end gets a drift pointing back at once, and a start
//     above 2*pi rises at most once more before it turns. Rounding to float keeps the order of
//     values, so the lower end is exact; the upper gets one float step for the rounding of the
//     bound's own sum.
// Prints one line per mode and exits 1 when any check fails.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lattice/extended.h"
#include "lattice/fast_patterns.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/random.h"

namespace {

const float LargestDrift = static_cast<float>(0.0001L + 199 / 100000.0L);

struct PhaseState {
  float phases[3], drifts[3];
  uint32_t seed;

  static PhaseState Now() { return {{PhaseA, PhaseB, PhaseC}, {DriftA, DriftB, DriftC}, RandomSeed()}; }
  void Restore() const {
    PhaseA = phases[0], PhaseB = phases[1], PhaseC = phases[2];
    DriftA = drifts[0], DriftB = drifts[1], DriftC = drifts[2];
    SetRandomSeed(seed);
  }
};

NodeArray* const NodeValues[] = {&ChannelR, &ChannelG, &ChannelB, &Relief};

bool AllFinite() {
  for (NodeArray* values : NodeValues)
    for (int i = 0; i <= RowCount; ++i)
      for (int j = 0; j <= ColCount; ++j)
        if (!std::isfinite((*values)[i][j])) return false;
  return true;
}

std::vector<float> Values() {
  std::vector<float> all;
  for (NodeArray* values : NodeValues)
    for (int i = 0; i <= RowCount; ++i) all.insert(all.end(), (*values)[i], (*values)[i] + ColCount + 1);
  return all;
}

// Recomputes the frame that began in `before` in extended precision; true when every value
// that the fast frame left non-finite is non-finite there too. Leaves the state as after it.
bool ExtendedAgreesOnNonFinite(const PhaseState& before) {
  const std::vector<float> fast = Values();
  before.Restore();
  ExactArithmetic = true;
  ComputeFrame();
  ExactArithmetic = false;
  const std::vector<float> exact = Values();
  for (size_t k = 0; k < fast.size(); ++k)
    if (!std::isfinite(fast[k]) && std::isfinite(exact[k])) return false;
  return true;
}

struct ModeResult {
  double seconds = 0;
  float lowest = INFINITY, highest = -INFINITY;
  long nonFiniteFrames = 0, failures = 0;
};

ModeResult SoakMode(int mode, long frames) {
  ScreenWidth = 64, ScreenHeight = 36;
  SetRandomSeed(20261208u + static_cast<uint32_t>(mode));
  BuildSeededLattice(4);
  PatternMode = mode;
  float upper[3];
  const float starts[3] = {PhaseA, PhaseB, PhaseC};
  for (int p = 0; p < 3; ++p)
    upper[p] = std::nextafter(static_cast<float>(std::max<Extended>(starts[p], TwoPi) + LargestDrift), INFINITY);

  ModeResult result;
  const auto start = std::chrono::steady_clock::now();
  for (long frame = 0; frame < frames; ++frame) {
    const PhaseState before = PhaseState::Now();
    ComputeFrame();
    if (!AllFinite()) {
      ++result.nonFiniteFrames;
      if (!ExtendedAgreesOnNonFinite(before)) ++result.failures;
    }
    const float phases[3] = {PhaseA, PhaseB, PhaseC};
    for (int p = 0; p < 3; ++p) {
      result.lowest = std::min(result.lowest, phases[p]);
      result.highest = std::max(result.highest, phases[p]);
      if (!(phases[p] >= -LargestDrift && phases[p] <= upper[p])) ++result.failures;
    }
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  SetFloatingPointControl();
  const long frames = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (frames < 1) {
    std::fprintf(stderr, "usage: vellumir_soak_frames [FRAMES]\n");
    return 2;
  }
  std::printf("frames of 5 x 8 nodes on %s: mode, frames, seconds, lowest and highest phase, frames with a "
              "non-finite value, failed checks\n", FastInstructionSet());
  long failures = 0;
  for (int mode = 1; mode <= 5; ++mode) {
    const ModeResult result = SoakMode(mode, frames);
    std::printf("mode %d  %ld  %.1f  %.5f  %.5f  %ld  %ld\n", mode, frames, result.seconds, result.lowest, result.highest,
                result.nonFiniteFrames, result.failures);
    failures += result.failures;
  }
  return failures ? 1 : 0;
}
