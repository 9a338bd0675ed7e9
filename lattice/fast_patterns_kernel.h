// The fast path's kernel, compiled once per instruction set (fast_patterns_<set>.cpp). Everything
// here has internal linkage or depends on the instruction set's batch type, so no function
// compiled for a wider set can stand in for one of a narrower set.
#pragma once

#include <immintrin.h>
#include <xsimd/xsimd.hpp>

#include <algorithm>
#include <cstdint>

#include "lattice/bounded.h"
#include "lattice/fast_patterns.h"
#include "lattice/fixed_terms.h"
#include "lattice/formulas.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"

namespace {

// Moves between float memory and double lanes, rounds lanes to float precision, and clears the
// lanes of a mask where the two ends of an interval round to different floats, with the
// processor's own conversions (round to nearest even, as the x87 stores; NaN is never alike).
// Each kernel's file defines it for its own set: a packager's -march may enable wider sets in
// every file, so the compiler's macros cannot tell which kernel is being built.
template <class Arch>
struct FloatLanes;

// Four node pipelines interleaved per call.
constexpr int Width = 4;

template <class Arch, int W = Width>
using Number = Bounded<xsimd::batch<double, Arch>, W>;

template <class Arch, int W = Width>
constexpr int NodesPerCall = static_cast<int>(xsimd::batch<double, Arch>::size) * W;

// Width batches of consecutive nodes of one row, from a float array, exact.
template <class Arch, int W>
Number<Arch, W> LoadNodes(const float* first) {
  Number<Arch, W> n;
  EachBatch<W>([&](int q) {
    n.value[q] = FloatLanes<Arch>::Load(first + q * xsimd::batch<double, Arch>::size);
    n.error[q] = 0;
  });
  n.narrow = n.exact = true;
  return n;
}

template <class Arch, int W>
void StoreNodes(float* first, const Number<Arch, W>& n) {
  EachBatch<W>([&](int q) { FloatLanes<Arch>::Store(first + q * xsimd::batch<double, Arch>::size, n.value[q]); });
}

template <class Arch, int W>
FrameTerms<Number<Arch, W>> BroadcastFrame(const FrameTerms<Extended>& frame) {
  using Batch = xsimd::batch<double, Arch>;
  // The offsets and the phase are floats, exact in a double; the mode-3 factor is an extended
  // value, within 2^-53 of its double, and sin(PhaseC) in extended is within 2^-62 of exact.
  const auto broadcast = [](double value, double error, bool narrow) {
    Number<Arch, W> n;
    EachBatch<W>([&](int q) {
      n.value[q] = Batch(value);
      n.error[q] = Batch(error);
    });
    n.narrow = n.exact = narrow;
    return n;
  };
  const double factor = static_cast<double>(frame.seedLogFactor);
  return {broadcast(static_cast<double>(frame.offsetX), 0, true), broadcast(static_cast<double>(frame.offsetY), 0, true),
          broadcast(static_cast<double>(frame.phaseC), 0, true), broadcast(factor, 0x1p-52 * factor + 0x1p-62, false)};
}

// Channels stay far below this; above it, 2t - v might not be exact in a double.
constexpr double FoldLimit = 0x1p40;

template <class Batch>
Batch FoldLanes(Batch v) {
  for (int t = 5; t >= 1; --t) v = xsimd::select(v > Batch(t), Batch(2 * t) - v, v);
  return v;
}

// Whether a call computes the nodes' fixed terms, computes and keeps them, or takes them kept.
enum class FixedTermUse { Compute, Fill, Reuse };

// Everything a call does is inlined into it, which keeps its values in registers; a sanitized
// build keeps the calls instead, since instrumenting the whole flattened body takes the compiler
// many minutes a kernel. Inlining changes no result: nothing is contracted or reassociated.
#if defined(__SANITIZE_ADDRESS__)
#define VELLUMIR_FLATTEN_KERNEL
#else
#define VELLUMIR_FLATTEN_KERNEL [[gnu::flatten]]
#endif

// Computes the nodes j .. j + NodesPerCall<Arch, W> - 1 of row i; hands every node the guard
// rejects to the extended evaluation. Returns how many it handed over.
template <class Arch, class Mode, int W>
VELLUMIR_FLATTEN_KERNEL int ComputeNodes(int32_t mode, int32_t i, int32_t j, FixedTermUse fixed,
                                         const FrameTerms<Number<Arch, W>>& frame,
                                         const FrameTerms<Extended>& exactFrame) {
  static_assert(Mode::SineCount == 0 || !Mode::SeedLogFollowsFrame,
                "the first step's sines are kept across frames, so no term they read may follow the frame");
  using Batch = xsimd::batch<double, Arch>;
  using Lanes = FloatLanes<Arch>;
  using Kept = xsimd::batch_bool<double, Arch>;

  // The extended result lies within `error` of the double one, so when both ends of that
  // interval round to the same float, so does the extended result.
  Kept kept[W];
  EachBatch<W>([&](int q) { kept[q] = Kept(true); });
  const auto store = [&kept](const Number<Arch, W>& v) {
    if (v.narrow) return v;  // already a float
    Number<Arch, W> stored;
    EachBatch<W>([&](int q) {
      stored.error[q] = 0;
      if (v.exact) {
        stored.value[q] = Lanes::Round(v.value[q]);
        return;
      }
      const Batch low = xsimd::fnma(v.error[q], Batch(1 + 0x1p-10), v.value[q]);
      const Batch high = xsimd::fma(v.error[q], Batch(1 + 0x1p-10), v.value[q]);
      // Where the lane is kept, its value rounds as both ends do. Rounding the value itself
      // keeps the error bounds off the values' chain of dependent steps.
      Lanes::KeepWhereAlike(low, high, kept[q]);
      stored.value[q] = Lanes::Round(v.value[q]);
    });
    stored.narrow = stored.exact = true;
    return stored;
  };

  NodeTerms<Number<Arch, W>> n;
  StepSines<Number<Arch, W>> firstSines;
  const int32_t node = i * (ColCount + 1) + j;
  if (fixed == FixedTermUse::Reuse) {
    n.x[1] = LoadNodes<Arch, W>(&FixedTerms->seedX[node]);
    n.y[1] = LoadNodes<Arch, W>(&FixedTerms->seedY[node]);
    if (!Mode::SeedLogFollowsFrame) n.l[1] = LoadNodes<Arch, W>(&FixedTerms->seedLog[node]);
    for (int s = 0; s < Mode::SineCount; ++s) {
      Number<Arch, W>& sine = s == 0 ? firstSines.first : firstSines.second;
      EachBatch<W>([&](int q) {
        sine.value[q] = Batch::load_unaligned(&FixedTerms->sineValue[s][node + q * Batch::size]);
        sine.error[q] = Batch::load_unaligned(&FixedTerms->sineError[s][node + q * Batch::size]);
      });
      sine.narrow = sine.exact = false;
    }
    EachBatch<W>([&](int q) { kept[q] = Lanes::Load(&FixedTerms->kept[node + q * Batch::size]) != Batch(0); });
  } else {
    ComputeSeeds<Mode>(LoadNodes<Arch, W>(&GridX[i][j]), LoadNodes<Arch, W>(&GridY[i][j]), n, store);
    if (!Mode::SeedLogFollowsFrame) ComputeSeedLog<Mode>(frame, n, store);
    firstSines = Mode::Sines(n, 1);
  }
  if (fixed == FixedTermUse::Fill) {
    StoreNodes<Arch, W>(&FixedTerms->seedX[node], n.x[1]);
    StoreNodes<Arch, W>(&FixedTerms->seedY[node], n.y[1]);
    if (!Mode::SeedLogFollowsFrame) StoreNodes<Arch, W>(&FixedTerms->seedLog[node], n.l[1]);
    for (int s = 0; s < Mode::SineCount; ++s) {
      const Number<Arch, W>& sine = s == 0 ? firstSines.first : firstSines.second;
      EachBatch<W>([&](int q) {
        sine.value[q].store_unaligned(&FixedTerms->sineValue[s][node + q * Batch::size]);
        sine.error[q].store_unaligned(&FixedTerms->sineError[s][node + q * Batch::size]);
      });
    }
    EachBatch<W>([&](int q) {
      Lanes::Store(&FixedTerms->kept[node + q * Batch::size], xsimd::select(kept[q], Batch(1), Batch(0)));
    });
  }
  if (Mode::SeedLogFollowsFrame) ComputeSeedLog<Mode>(frame, n, store);
  Number<Arch, W> channels[3];
  ComputeSteps<Mode>(firstSines, frame, n, channels, store);
  for (Number<Arch, W>& channel : channels)
    EachBatch<W>([&](int q) {
      kept[q] = kept[q] & (xsimd::abs(channel.value[q]) < Batch(FoldLimit));
      channel.value[q] = FoldLanes(channel.value[q]);
    });
  const Number<Arch, W> relief = store(ReliefOf(channels[0], channels[1], channels[2], LoadNodes<Arch, W>(&Jitter[i][j])));
  StoreNodes<Arch, W>(&ChannelR[i][j], channels[0]);
  StoreNodes<Arch, W>(&ChannelG[i][j], channels[1]);
  StoreNodes<Arch, W>(&ChannelB[i][j], channels[2]);
  StoreNodes<Arch, W>(&Relief[i][j], relief);

  int handed = 0;
  EachBatch<W>([&](int q) {
    if (xsimd::all(kept[q])) return;
    bool lanes[Batch::size];
    kept[q].store_unaligned(lanes);
    for (size_t lane = 0; lane < Batch::size; ++lane) {
      if (lanes[lane]) continue;
      ComputeExactNode(mode, i, j + static_cast<int32_t>(q * Batch::size + lane), exactFrame);
      ++handed;
    }
  });
  return handed;
}

template <class Arch, class Mode>
int ComputeRows(int32_t mode, const FrameTerms<Extended>& exactFrame) {
  constexpr int Nodes = NodesPerCall<Arch>;
  const auto frame = BroadcastFrame<Arch, Width>(exactFrame);
  const int32_t nodes = ColCount + 1;
  // Which kernel and mode filled the fixed terms: this function's own object.
  static char owner;
  FixedTermUse fixed = FixedTermUse::Compute;
  if (RowCount >= 0 && (RowCount + 1) * nodes <= FixedTermNodes) {
    const bool same = FixedTerms->owner == &owner && FixedTerms->layouts == LatticeLayouts && FixedTerms->rows == RowCount &&
                      FixedTerms->cols == ColCount;
    fixed = same ? FixedTermUse::Reuse : FixedTermUse::Fill;
    FixedTerms->owner = &owner, FixedTerms->layouts = LatticeLayouts, FixedTerms->rows = RowCount, FixedTerms->cols = ColCount;
  }
  int handed = 0;
  for (int32_t i = 0; i <= RowCount; ++i) {
    if (nodes < Nodes) {
      for (int32_t j = 0; j < nodes; ++j) ComputeExactNode(mode, i, j, exactFrame);
      handed += nodes;
      continue;
    }
    // The last call of a row overlaps the one before rather than reading past the row; the
    // nodes it computes twice come out the same both times.
    for (int32_t start = 0; start < nodes; start += Nodes)
      handed += ComputeNodes<Arch, Mode, Width>(mode, i, std::min(start, nodes - Nodes), fixed, frame, exactFrame);
  }
  return handed;
}

}  // namespace

template <class Arch>
int ComputeFastFrame(int32_t mode, const FrameTerms<Extended>& frame) {
  switch (mode) {
    case 1: return ComputeRows<Arch, Mode1>(mode, frame);
    case 2: return ComputeRows<Arch, Mode2>(mode, frame);
    case 3: return ComputeRows<Arch, Mode3>(mode, frame);
    case 4: return ComputeRows<Arch, Mode4>(mode, frame);
    case 5: return ComputeRows<Arch, Mode5>(mode, frame);
    default: return 0;
  }
}
