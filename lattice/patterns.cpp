#include "lattice/patterns.h"

#include "lattice/extended.h"
#include "lattice/lattice.h"

namespace {

Extended Square(Extended x) { return x * x; }

// Each mode supplies its formulas; the node loop below is shared. Every formula reads stored
// floats and its result is rounded to float once, when it is stored.

struct Mode1 {
  static constexpr Extended Epsilon = 1e-7L;
  static void Offsets() {
    OffsetX = static_cast<float>((static_cast<Extended>(PhaseA) - PhaseC) * 1.5L);
    OffsetY = static_cast<float>((static_cast<Extended>(PhaseC) - PhaseB) * 1.5L);
  }
  static void Seed(float gridX, float gridY) {
    IterX[1] = static_cast<float>(Abs(gridX) * 5);
    IterY[1] = static_cast<float>(Abs(gridY) * 5);
    IterL[1] = static_cast<float>(Ln(Square(IterX[1]) * Square(IterY[1]) + 1e-7L));
  }
  static void Step(int k) {
    const Extended s = Abs(Sine(IterL[k]));
    IterX[k + 1] = static_cast<float>(IterX[k] / ((1 - s / 3) + static_cast<Extended>(PhaseC) / 12) + OffsetX);
    IterY[k + 1] = static_cast<float>(IterY[k] / (s / 3 + 1) + OffsetY);
  }
  static Extended StepLog(float x, float y) { return Ln(Abs(Sine(x)) + Abs(Sine(y)) + 1e-5L); }
};

struct Mode2 {
  static constexpr Extended Epsilon = 0.001L;
  static void Offsets() {
    OffsetX = static_cast<float>(Sine(TwoPi * PhaseA) / 2);
    OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) / 2);
  }
  static void Seed(float gridX, float gridY) {
    IterX[1] = static_cast<float>(2 * static_cast<Extended>(gridX));
    IterY[1] = static_cast<float>(2 * static_cast<Extended>(gridY));
    IterL[1] = static_cast<float>(SquareRoot(Square(IterX[1]) * Square(IterY[1]) + 0.01L));
  }
  static void Step(int k) {
    IterX[k + 1] = static_cast<float>(IterX[k] / (Square(Square(IterY[k]) + IterX[k]) + IterL[1]) + OffsetX);
    IterY[k + 1] = static_cast<float>(IterY[k] / (Square(Square(IterX[k]) + IterY[k]) + IterL[1]) + OffsetY);
  }
  static Extended StepLog(float x, float y) { return 0.3L * Ln(Square(x) + Square(y) + 0.1L); }
};

struct Mode3 {
  static constexpr Extended Epsilon = 0.001L;
  static void Offsets() {
    OffsetX = static_cast<float>(Sine(TwoPi * PhaseA) / 2 + Sine(TwoPi * PhaseC) / 2);
    OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) / 2 + Sine(TwoPi * PhaseA) / 2);
  }
  static void Seed(float gridX, float gridY) {
    IterX[1] = static_cast<float>(Abs(gridX));
    IterY[1] = gridY;
    IterL[1] = static_cast<float>((Sine(PhaseC) / 20 + 0.1L) * Ln(Abs(IterX[1]) * Abs(IterY[1]) + 0.01L));
  }
  static void Step(int k) {
    IterX[k + 1] = static_cast<float>(IterX[k] / (Square(Square(IterY[k]) + IterX[1]) + IterL[1]) + OffsetX);
    IterY[k + 1] = static_cast<float>(IterY[k] / (Square(Square(IterX[k]) + IterY[1]) + IterL[1]) + OffsetY);
  }
  static Extended StepLog(float x, float y) { return 0.3L * Ln(Square(x) + Square(y) + 0.1L); }
};

struct Mode4 {
  static constexpr Extended Epsilon = 0.001L;
  static void Offsets() {
    OffsetX = static_cast<float>(Sine(TwoPi * PhaseA) + Sine(TwoPi * PhaseC));
    OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) + Sine(TwoPi * PhaseA));
  }
  static void Seed(float gridX, float gridY) {
    IterX[1] = static_cast<float>(2 * static_cast<Extended>(gridX));
    IterY[1] = static_cast<float>(2 * static_cast<Extended>(gridY));
    IterL[1] = static_cast<float>(0.3L * Ln(Square(IterX[1]) + Square(IterY[1]) + 0.1L));
  }
  static void Step(int k) {
    IterX[k + 1] = static_cast<float>(OffsetX - Sine(IterX[k]) / (Abs(IterL[k]) + 0.3L));
    IterY[k + 1] = static_cast<float>(OffsetY - Sine(IterY[k]) / (Abs(IterL[k]) + 0.3L));
  }
  static Extended StepLog(float x, float y) { return 0.2L * Ln(Square(x) + Square(y) + 0.01L); }
};

struct Mode5 {
  static constexpr Extended Epsilon = 0.00001L;
  static void Offsets() {
    OffsetX = static_cast<float>(-Abs(Sine(TwoPi * PhaseA) / 2 + Sine(TwoPi * PhaseC) / 2));
    OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) / 2 + Sine(TwoPi * PhaseA) / 2);
  }
  static void Seed(float gridX, float gridY) {
    IterX[1] = static_cast<float>(SquareRoot(5 * Abs(gridX) + 0.0001L));
    IterY[1] = static_cast<float>(5 * static_cast<Extended>(gridY));
    IterL[1] = static_cast<float>(0.2L * Ln(Square(IterX[1]) + Square(IterY[1]) + 0.01L));
  }
  static void Step(int k) {
    IterX[k + 1] = static_cast<float>(IterX[k] / (Square(IterX[1]) + IterL[1] + Square(IterL[k]) + 0.01L) + OffsetX);
    IterY[k + 1] = static_cast<float>(IterY[k] / (Square(Square(IterX[k]) + IterY[1]) + IterL[1] + 0.01L) + OffsetY);
  }
  static Extended StepLog(float x, float y) { return 0.3L * Ln(Square(x) + Square(y) + 0.001L); }
};

template <typename Mode>
void ComputeNodes() {
  Mode::Offsets();
  for (int32_t i = 0; i <= RowCount; ++i) {
    for (int32_t j = 0; j <= ColCount; ++j) {
      Mode::Seed(GridX[i][j], GridY[i][j]);
      for (int k = 1; k <= 3; ++k) {
        Mode::Step(k);
        IterL[k + 1] = static_cast<float>(Mode::StepLog(IterX[k + 1], IterY[k + 1]));
      }
      ChannelR[i][j] = static_cast<float>(SquareRoot(Abs(IterL[4]) + Mode::Epsilon));
      ChannelG[i][j] = static_cast<float>(SquareRoot(Abs(IterL[3]) + Mode::Epsilon));
      ChannelB[i][j] = static_cast<float>(SquareRoot(Abs(IterL[2]) + Mode::Epsilon));
      FinishNode(i, j);
    }
  }
}

}  // namespace

void ComputePattern() {
  switch (PatternMode) {
    case 1: ComputeNodes<Mode1>(); break;
    case 2: ComputeNodes<Mode2>(); break;
    case 3: ComputeNodes<Mode3>(); break;
    case 4: ComputeNodes<Mode4>(); break;
    case 5: ComputeNodes<Mode5>(); break;
    default: break;
  }
}

float FoldChannel(float v) {
  for (int t = 5; t >= 1; --t) {
    if (v > t) v = static_cast<float>(2 * t - static_cast<Extended>(v));
  }
  return v;
}

void FinishNode(int32_t i, int32_t j) {
  ChannelR[i][j] = FoldChannel(ChannelR[i][j]);
  ChannelG[i][j] = FoldChannel(ChannelG[i][j]);
  ChannelB[i][j] = FoldChannel(ChannelB[i][j]);
  const Extended sum = static_cast<Extended>(ChannelR[i][j]) + ChannelG[i][j] + ChannelB[i][j];
  Relief[i][j] = static_cast<float>(Sine(sum * TwoPi) / 30 + Jitter[i][j]);
}
