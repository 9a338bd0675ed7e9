// The formulas of the five pattern modes and of the relief, written once over a number type T.
//
// The extended path instantiates them with Extended; the fast path with a SIMD batch of doubles
// that carries an error bound. Each formula keeps the grouping it is evaluated with, and every
// value a formula returns is rounded to float by the caller when it is stored.
//
// T provides + - * /, and the free functions Abs, Sine, Ln and SquareRoot; Exact<T>(n) is a
// small integer constant and Decimal<T>(c) an extended constant such as 1e-7L.
#pragma once

#include "lattice/extended.h"

template <class T>
T Square(const T& x) {
  return x * x;
}

// Values fixed for one frame.
template <class T>
struct FrameTerms {
  T offsetX, offsetY, phaseC;
  T seedLogFactor;  // mode 3: sin(PhaseC) / 20 + 0.1, not rounded before it is used
};

// The work vectors of one node: [1] holds the seeds, [k + 1] the result of step k.
template <class T>
struct NodeTerms {
  T x[5], y[5], l[5];
};

// The sines a step takes of the node's earlier values (modes 1 and 4), apart from the step
// itself: those of the first step depend on the node alone, so the fast path keeps them.
template <class T>
struct StepSines {
  T first, second;
};

struct Mode1 {
  static constexpr Extended Epsilon = 1e-7L;
  static constexpr bool SeedLogFollowsFrame = false;
  template <class T>
  static T SeedX(const T& gridX) { return Abs(gridX) * Exact<T>(5); }
  template <class T>
  static T SeedY(const T& gridY) { return Abs(gridY) * Exact<T>(5); }
  template <class T>
  static T SeedLog(const NodeTerms<T>& n, const FrameTerms<T>&) {
    return Ln(Square(n.x[1]) * Square(n.y[1]) + Decimal<T>(1e-7L));
  }
  static constexpr int SineCount = 1;
  template <class T>
  static StepSines<T> Sines(const NodeTerms<T>& n, int k) { return {Abs(Sine(n.l[k])), {}}; }
  template <class T>
  static void Step(const NodeTerms<T>& n, int k, const FrameTerms<T>& f, const StepSines<T>& sines, T& x, T& y) {
    const T& s = sines.first;
    x = n.x[k] / ((Exact<T>(1) - s / Exact<T>(3)) + f.phaseC / Exact<T>(12)) + f.offsetX;
    y = n.y[k] / (s / Exact<T>(3) + Exact<T>(1)) + f.offsetY;
  }
  template <class T>
  static T StepLog(const T& x, const T& y) { return Ln(Abs(Sine(x)) + Abs(Sine(y)) + Decimal<T>(1e-5L)); }
};

struct Mode2 {
  static constexpr Extended Epsilon = 0.001L;
  static constexpr bool SeedLogFollowsFrame = false;
  template <class T>
  static T SeedX(const T& gridX) { return Exact<T>(2) * gridX; }
  template <class T>
  static T SeedY(const T& gridY) { return Exact<T>(2) * gridY; }
  template <class T>
  static T SeedLog(const NodeTerms<T>& n, const FrameTerms<T>&) {
    return SquareRoot(Square(n.x[1]) * Square(n.y[1]) + Decimal<T>(0.01L));
  }
  static constexpr int SineCount = 0;
  template <class T>
  static StepSines<T> Sines(const NodeTerms<T>&, int) { return {}; }
  template <class T>
  static void Step(const NodeTerms<T>& n, int k, const FrameTerms<T>& f, const StepSines<T>&, T& x, T& y) {
    x = n.x[k] / (Square(Square(n.y[k]) + n.x[k]) + n.l[1]) + f.offsetX;
    y = n.y[k] / (Square(Square(n.x[k]) + n.y[k]) + n.l[1]) + f.offsetY;
  }
  template <class T>
  static T StepLog(const T& x, const T& y) { return Decimal<T>(0.3L) * Ln(Square(x) + Square(y) + Decimal<T>(0.1L)); }
};

struct Mode3 {
  static constexpr Extended Epsilon = 0.001L;
  static constexpr bool SeedLogFollowsFrame = true;
  template <class T>
  static T SeedX(const T& gridX) { return Abs(gridX); }
  template <class T>
  static T SeedY(const T& gridY) { return gridY; }
  template <class T>
  static T SeedLog(const NodeTerms<T>& n, const FrameTerms<T>& f) {
    return f.seedLogFactor * Ln(Abs(n.x[1]) * Abs(n.y[1]) + Decimal<T>(0.01L));
  }
  static constexpr int SineCount = 0;
  template <class T>
  static StepSines<T> Sines(const NodeTerms<T>&, int) { return {}; }
  template <class T>
  static void Step(const NodeTerms<T>& n, int k, const FrameTerms<T>& f, const StepSines<T>&, T& x, T& y) {
    x = n.x[k] / (Square(Square(n.y[k]) + n.x[1]) + n.l[1]) + f.offsetX;
    y = n.y[k] / (Square(Square(n.x[k]) + n.y[1]) + n.l[1]) + f.offsetY;
  }
  template <class T>
  static T StepLog(const T& x, const T& y) { return Decimal<T>(0.3L) * Ln(Square(x) + Square(y) + Decimal<T>(0.1L)); }
};

struct Mode4 {
  static constexpr Extended Epsilon = 0.001L;
  static constexpr bool SeedLogFollowsFrame = false;
  template <class T>
  static T SeedX(const T& gridX) { return Exact<T>(2) * gridX; }
  template <class T>
  static T SeedY(const T& gridY) { return Exact<T>(2) * gridY; }
  template <class T>
  static T SeedLog(const NodeTerms<T>& n, const FrameTerms<T>&) {
    return Decimal<T>(0.3L) * Ln(Square(n.x[1]) + Square(n.y[1]) + Decimal<T>(0.1L));
  }
  static constexpr int SineCount = 2;
  template <class T>
  static StepSines<T> Sines(const NodeTerms<T>& n, int k) { return {Sine(n.x[k]), Sine(n.y[k])}; }
  template <class T>
  static void Step(const NodeTerms<T>& n, int k, const FrameTerms<T>& f, const StepSines<T>& sines, T& x, T& y) {
    x = f.offsetX - sines.first / (Abs(n.l[k]) + Decimal<T>(0.3L));
    y = f.offsetY - sines.second / (Abs(n.l[k]) + Decimal<T>(0.3L));
  }
  template <class T>
  static T StepLog(const T& x, const T& y) { return Decimal<T>(0.2L) * Ln(Square(x) + Square(y) + Decimal<T>(0.01L)); }
};

struct Mode5 {
  static constexpr Extended Epsilon = 0.00001L;
  static constexpr bool SeedLogFollowsFrame = false;
  template <class T>
  static T SeedX(const T& gridX) { return SquareRoot(Exact<T>(5) * Abs(gridX) + Decimal<T>(0.0001L)); }
  template <class T>
  static T SeedY(const T& gridY) { return Exact<T>(5) * gridY; }
  template <class T>
  static T SeedLog(const NodeTerms<T>& n, const FrameTerms<T>&) {
    return Decimal<T>(0.2L) * Ln(Square(n.x[1]) + Square(n.y[1]) + Decimal<T>(0.01L));
  }
  static constexpr int SineCount = 0;
  template <class T>
  static StepSines<T> Sines(const NodeTerms<T>&, int) { return {}; }
  template <class T>
  static void Step(const NodeTerms<T>& n, int k, const FrameTerms<T>& f, const StepSines<T>&, T& x, T& y) {
    x = n.x[k] / (Square(n.x[1]) + n.l[1] + Square(n.l[k]) + Decimal<T>(0.01L)) + f.offsetX;
    y = n.y[k] / (Square(Square(n.x[k]) + n.y[1]) + n.l[1] + Decimal<T>(0.01L)) + f.offsetY;
  }
  template <class T>
  static T StepLog(const T& x, const T& y) { return Decimal<T>(0.3L) * Ln(Square(x) + Square(y) + Decimal<T>(0.001L)); }
};

// The seeds of one node, then its seed log term. `store` rounds a formula's result to float as
// it is stored.
template <class Mode, class T, class Store>
void ComputeSeeds(const T& gridX, const T& gridY, NodeTerms<T>& n, Store&& store) {
  n.x[1] = store(Mode::SeedX(gridX));
  n.y[1] = store(Mode::SeedY(gridY));
}
template <class Mode, class T, class Store>
void ComputeSeedLog(const FrameTerms<T>& frame, NodeTerms<T>& n, Store&& store) {
  n.l[1] = store(Mode::SeedLog(n, frame));
}

// The three steps from the seeds, given the first step's sines, then the channels red, green,
// blue from the last, middle and first step.
template <class Mode, class T, class Store>
void ComputeSteps(const StepSines<T>& firstSines, const FrameTerms<T>& frame, NodeTerms<T>& n, T (&channels)[3],
                  Store&& store) {
  for (int k = 1; k <= 3; ++k) {
    T x, y;
    Mode::Step(n, k, frame, k == 1 ? firstSines : Mode::Sines(n, k), x, y);
    n.x[k + 1] = store(x);
    n.y[k + 1] = store(y);
    n.l[k + 1] = store(Mode::StepLog(n.x[k + 1], n.y[k + 1]));
  }
  for (int channel = 0; channel < 3; ++channel)
    channels[channel] = store(SquareRoot(Abs(n.l[4 - channel]) + Decimal<T>(Mode::Epsilon)));
}

// The shared per-node pipeline: seeds, three steps, channels.
template <class Mode, class T, class Store>
void ComputeNodeTerms(const T& gridX, const T& gridY, const FrameTerms<T>& frame, NodeTerms<T>& n, T (&channels)[3],
                      Store&& store) {
  ComputeSeeds<Mode>(gridX, gridY, n, store);
  ComputeSeedLog<Mode>(frame, n, store);
  ComputeSteps<Mode>(Mode::Sines(n, 1), frame, n, channels, store);
}

// A node's height from its folded channels and its jitter.
template <class T>
T ReliefOf(const T& red, const T& green, const T& blue, const T& jitter) {
  return Sine((red + green + blue) * Decimal<T>(TwoPi)) / Exact<T>(30) + jitter;
}
