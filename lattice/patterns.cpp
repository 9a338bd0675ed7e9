#include "lattice/patterns.h"

#include "lattice/extended.h"
#include "lattice/fast_patterns.h"
#include "lattice/formulas.h"
#include "lattice/lattice.h"

bool ExactArithmetic = false;

namespace {

Extended StoreAsFloat(Extended value) { return static_cast<float>(value); }

template <class Mode>
void Offsets();
template <>
void Offsets<Mode1>() {
  OffsetX = static_cast<float>((static_cast<Extended>(PhaseA) - PhaseC) * 1.5L);
  OffsetY = static_cast<float>((static_cast<Extended>(PhaseC) - PhaseB) * 1.5L);
}
template <>
void Offsets<Mode2>() {
  OffsetX = static_cast<float>(Sine(TwoPi * PhaseA) / 2);
  OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) / 2);
}
template <>
void Offsets<Mode3>() {
  OffsetX = static_cast<float>(Sine(TwoPi * PhaseA) / 2 + Sine(TwoPi * PhaseC) / 2);
  OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) / 2 + Sine(TwoPi * PhaseA) / 2);
}
template <>
void Offsets<Mode4>() {
  OffsetX = static_cast<float>(Sine(TwoPi * PhaseA) + Sine(TwoPi * PhaseC));
  OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) + Sine(TwoPi * PhaseA));
}
template <>
void Offsets<Mode5>() {
  OffsetX = static_cast<float>(-Abs(Sine(TwoPi * PhaseA) / 2 + Sine(TwoPi * PhaseC) / 2));
  OffsetY = static_cast<float>(Sine(TwoPi * PhaseB) / 2 + Sine(TwoPi * PhaseA) / 2);
}

template <class Mode>
void ComputeExactNode(int32_t i, int32_t j, const FrameTerms<Extended>& frame) {
  NodeTerms<Extended> n;
  Extended channels[3];
  ComputeNodeTerms<Mode>(Extended{GridX[i][j]}, Extended{GridY[i][j]}, frame, n, channels, StoreAsFloat);
  for (int k = 1; k <= 4; ++k) {
    IterX[k] = static_cast<float>(n.x[k]);
    IterY[k] = static_cast<float>(n.y[k]);
    IterL[k] = static_cast<float>(n.l[k]);
  }
  ChannelR[i][j] = static_cast<float>(channels[0]);
  ChannelG[i][j] = static_cast<float>(channels[1]);
  ChannelB[i][j] = static_cast<float>(channels[2]);
  FinishNode(i, j);
}

// The frame's fixed terms, from the offsets just computed and the phases.
FrameTerms<Extended> FrameTermsNow() { return {OffsetX, OffsetY, PhaseC, Sine(PhaseC) / 20 + 0.1L}; }

template <class Mode>
void ComputeMode() {
  Offsets<Mode>();
  const FrameTerms<Extended> frame = FrameTermsNow();
  if (!ExactArithmetic) {
    ComputeNodesFast(PatternMode, frame);
    return;
  }
  for (int32_t i = 0; i <= RowCount; ++i)
    for (int32_t j = 0; j <= ColCount; ++j) ComputeExactNode<Mode>(i, j, frame);
}

}  // namespace

void ComputeExactNode(int32_t mode, int32_t i, int32_t j, const FrameTerms<Extended>& frame) {
  switch (mode) {
    case 1: ComputeExactNode<Mode1>(i, j, frame); break;
    case 2: ComputeExactNode<Mode2>(i, j, frame); break;
    case 3: ComputeExactNode<Mode3>(i, j, frame); break;
    case 4: ComputeExactNode<Mode4>(i, j, frame); break;
    case 5: ComputeExactNode<Mode5>(i, j, frame); break;
    default: break;
  }
}

void ComputePattern() {
  switch (PatternMode) {
    case 1: ComputeMode<Mode1>(); break;
    case 2: ComputeMode<Mode2>(); break;
    case 3: ComputeMode<Mode3>(); break;
    case 4: ComputeMode<Mode4>(); break;
    case 5: ComputeMode<Mode5>(); break;
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
  Relief[i][j] = static_cast<float>(
      ReliefOf<Extended>(ChannelR[i][j], ChannelG[i][j], ChannelB[i][j], Jitter[i][j]));
}
