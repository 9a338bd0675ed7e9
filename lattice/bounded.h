// SIMD batches of doubles that carry, lane by lane, a bound on how far each may lie from the
// exact value of the formula it evaluates, and further from that of the extended evaluation.
//
// Both evaluations start from the same stored floats, so a formula's bound covers only its own
// operations: the rounding of each double operation (2^-53) and each extended one (2^-64), the
// error of each function in either library, and the propagation of earlier errors. Every term
// is rounded up generously; the guard (fast_patterns_kernel.h) then keeps a result only when the
// whole interval rounds to one float.
//
// A value holds Width independent batches: the pipeline of one node is a long chain of
// dependent operations, and interleaving two chains keeps the processor busy while it waits.
#pragma once

#include <immintrin.h>
#include <xsimd/xsimd.hpp>

#include <limits>

#include "lattice/batch_functions.h"
#include "lattice/extended.h"

namespace bounds {
// One rounding of a double and one of an extended operation, with room to spare.
constexpr double Rounding = 0x1p-52;
// Generous bounds for the kernels' sine and logarithm (lattice/batch_functions.h): the unit
// tests measure the real error against the x87 instructions.
constexpr double FunctionRelative = 0x1p-40;
constexpr double SineAbsolute = 0x1p-56;  // per unit of argument: argument reduction near zeros
constexpr double LnAbsolute = 0x1p-52;    // near ln(1) = 0
// Beyond this the sine's argument reduction is not trusted: the node falls back.
constexpr double SineArgumentLimit = 0x1p20;
// The logarithm is trusted on normal, finite arguments only, the ones BatchLog covers.
constexpr double LnArgumentLow = 0x1p-1000;
constexpr double LnArgumentHigh = 0x1p1000;
}  // namespace bounds

template <class B, int Width>
struct Bounded {
  B value[Width];
  B error[Width];
  // Known to be exact and to need at most 26 significant bits (a float or a small integer), so
  // that the product of two such values is exact in a double and in an extended alike.
  bool narrow = false;
  // Known to be exact: both evaluations hold this very value, so it rounds alike.
  bool exact = false;

  // Copied register by register: left to itself the compiler copies these few hundred bytes
  // with a string instruction whose start-up alone costs more than the copy, many times a node.
  Bounded() = default;
  [[gnu::always_inline]] Bounded(const Bounded& other) { *this = other; }
  [[gnu::always_inline]] Bounded& operator=(const Bounded& other) {
    for (int q = 0; q < Width; ++q) value[q] = other.value[q], error[q] = other.error[q];
    narrow = other.narrow;
    exact = other.exact;
    return *this;
  }
};

// An upper bound of e / d for the error terms, which need no correct rounding: a division
// where nothing quicker is at hand, a 2^-14 reciprocal estimate rounded up where there is.
template <class B>
[[gnu::always_inline]] inline B DivideUp(const B& e, const B& d) {
  return e / d;
}
#if defined(__AVX512F__)
[[gnu::always_inline]] inline xsimd::batch<double, xsimd::avx512dq> DivideUp(const xsimd::batch<double, xsimd::avx512dq>& e,
                                                                             const xsimd::batch<double, xsimd::avx512dq>& d) {
  return e * xsimd::batch<double, xsimd::avx512dq>(_mm512_rcp14_pd(d)) * xsimd::batch<double, xsimd::avx512dq>(1 + 0x1p-12);
}
#endif

// A square root and a bound on its own error: the correctly rounded instruction where nothing
// quicker is at hand; with AVX-512, a 2^-14 reciprocal square root estimate refined by one
// Newton step, times the argument, then one step on the residual: within 2^-50 of the exact root.
template <class B>
[[gnu::always_inline]] inline B Root(const B& x, B& rounding) {
  const B root = xsimd::sqrt(x);
  rounding = bounds::Rounding * root;
  return root;
}
#if defined(__AVX512F__)
[[gnu::always_inline]] inline xsimd::batch<double, xsimd::avx512dq> Root(const xsimd::batch<double, xsimd::avx512dq>& x,
                                                                         xsimd::batch<double, xsimd::avx512dq>& rounding) {
  const __m512d estimate = _mm512_rsqrt14_pd(x);
  const __m512d half = _mm512_set1_pd(0.5);
  const __m512d square = _mm512_mul_pd(_mm512_mul_pd(x, estimate), estimate);
  const __m512d refined = _mm512_mul_pd(estimate, _mm512_fnmadd_pd(half, square, _mm512_set1_pd(1.5)));
  const __m512d first = _mm512_mul_pd(x, refined);
  const __m512d residual = _mm512_fnmadd_pd(first, first, x);
  const __m512d root = _mm512_fmadd_pd(_mm512_mul_pd(half, refined), residual, first);
  rounding = xsimd::batch<double, xsimd::avx512dq>(0x1p-49) * xsimd::batch<double, xsimd::avx512dq>(root);
  return root;
}
#endif

template <class B>
[[gnu::always_inline]] inline B WithRounding(const B& error, const B& result) {
  return error + bounds::Rounding * xsimd::abs(result);
}

// Applies `operation(q)` to each of the Width batches.
template <int Width, class Operation>
[[gnu::always_inline]] inline void EachBatch(Operation&& operation) {
  for (int q = 0; q < Width; ++q) operation(q);
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> operator+(const Bounded<B, W>& a, const Bounded<B, W>& b) {
  Bounded<B, W> r;
  EachBatch<W>([&](int q) {
    r.value[q] = a.value[q] + b.value[q];
    r.error[q] = WithRounding(a.error[q] + b.error[q], r.value[q]);
  });
  return r;
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> operator-(const Bounded<B, W>& a, const Bounded<B, W>& b) {
  Bounded<B, W> r;
  EachBatch<W>([&](int q) {
    r.value[q] = a.value[q] - b.value[q];
    r.error[q] = WithRounding(a.error[q] + b.error[q], r.value[q]);
  });
  return r;
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> operator*(const Bounded<B, W>& a, const Bounded<B, W>& b) {
  Bounded<B, W> r;
  EachBatch<W>([&](int q) {
    r.value[q] = a.value[q] * b.value[q];
    if (a.narrow && b.narrow) {
      r.error[q] = B(0);
      r.exact = true;
    } else if (a.narrow) {
      r.error[q] = WithRounding(xsimd::abs(a.value[q]) * b.error[q], r.value[q]);
    } else if (b.narrow) {
      r.error[q] = WithRounding(xsimd::abs(b.value[q]) * a.error[q], r.value[q]);
    } else {
      const B propagated =
          xsimd::abs(a.value[q]) * b.error[q] + xsimd::abs(b.value[q]) * a.error[q] + B(2) * a.error[q] * b.error[q];
      r.error[q] = WithRounding(propagated, r.value[q]);
    }
  });
  return r;
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> Square(const Bounded<B, W>& a) {
  if (a.narrow) return a * a;
  Bounded<B, W> r;
  EachBatch<W>([&](int q) {
    r.value[q] = a.value[q] * a.value[q];
    r.error[q] = WithRounding((B(2) * xsimd::abs(a.value[q]) + a.error[q]) * a.error[q], r.value[q]);
  });
  return r;
}

// Infinite where the divisor's interval comes near zero: no bound, so the guard falls back.
// An exact, narrow divisor is a small integer constant: multiplying by its reciprocal's double
// costs a rounding more than the division, and much less time.
template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> operator/(const Bounded<B, W>& a, const Bounded<B, W>& b) {
  Bounded<B, W> r;
  const B infinity(std::numeric_limits<double>::infinity());
  EachBatch<W>([&](int q) {
    if (b.narrow) {
      const B reciprocal = B(1) / b.value[q];
      r.value[q] = a.value[q] * reciprocal;
      r.error[q] = a.error[q] * xsimd::abs(reciprocal) * B(1 + 0x1p-52) + B(2 * bounds::Rounding) * xsimd::abs(r.value[q]);
      return;
    }
    r.value[q] = a.value[q] / b.value[q];
    const B divisor = xsimd::abs(b.value[q]);
    const B clearance = divisor - b.error[q];
    const B propagated = DivideUp(a.error[q] + xsimd::abs(r.value[q]) * b.error[q], clearance) * B(1 + 0x1p-20);
    r.error[q] = WithRounding(xsimd::select(clearance > B(0.5) * divisor, propagated, infinity), r.value[q]);
  });
  return r;
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> Abs(const Bounded<B, W>& a) {
  Bounded<B, W> r;
  EachBatch<W>([&](int q) {
    r.value[q] = xsimd::abs(a.value[q]);
    r.error[q] = a.error[q];
  });
  r.narrow = a.narrow;
  r.exact = a.exact;
  return r;
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> Sine(const Bounded<B, W>& a) {
  Bounded<B, W> r;
  const B infinity(std::numeric_limits<double>::infinity());
  EachBatch<W>([&](int q) {
    const B magnitude = xsimd::abs(a.value[q]);
    r.value[q] = BatchSine(a.value[q]);
    const B error = a.error[q] + bounds::FunctionRelative * xsimd::abs(r.value[q]) +
                    bounds::SineAbsolute * (B(1) + magnitude);
    r.error[q] = xsimd::select(magnitude < B(bounds::SineArgumentLimit), error, infinity);
  });
  return r;
}

template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> Ln(const Bounded<B, W>& a) {
  Bounded<B, W> r;
  const B infinity(std::numeric_limits<double>::infinity());
  EachBatch<W>([&](int q) {
    r.value[q] = BatchLog(a.value[q]);
    const B clearance = a.value[q] - a.error[q];
    const B error = DivideUp(a.error[q], clearance) + bounds::FunctionRelative * xsimd::abs(r.value[q]) +
                    B(bounds::LnAbsolute);
    // The kernels build the logarithm without its subnormal and infinite cases.
    const auto inRange = (clearance > B(bounds::LnArgumentLow)) & (a.value[q] < B(bounds::LnArgumentHigh));
    r.error[q] = xsimd::select(inRange, error, infinity);
  });
  return r;
}

// While the argument's error is at most half the argument, it spreads by at most
// sqrt(2) / sqrt(argument); the extended root rounds correctly, the double one as Root says.
template <class B, int W>
[[gnu::always_inline]] inline Bounded<B, W> SquareRoot(const Bounded<B, W>& a) {
  Bounded<B, W> r;
  const B infinity(std::numeric_limits<double>::infinity());
  EachBatch<W>([&](int q) {
    B rounding;
    r.value[q] = Root(a.value[q], rounding);
    const B propagated = xsimd::select(a.error[q] <= B(0.5) * a.value[q],
                                       DivideUp(a.error[q] * B(1.4143), r.value[q]), infinity);
    r.error[q] = propagated + rounding;
  });
  return r;
}

template <class B, int W>
struct Constants<Bounded<B, W>> {
  static Bounded<B, W> Exact(int n) {
    Bounded<B, W> r;
    EachBatch<W>([&](int q) {
      r.value[q] = B(static_cast<double>(n));
      r.error[q] = B(0);
    });
    r.narrow = r.exact = true;
    return r;
  }
  // The double nearest an extended constant lies within 2^-53 of it.
  static Bounded<B, W> Decimal(Extended c) {
    const double nearest = static_cast<double>(c);
    Bounded<B, W> r;
    EachBatch<W>([&](int q) {
      r.value[q] = B(nearest);
      r.error[q] = B(0x1p-52 * (nearest < 0 ? -nearest : nearest));
    });
    return r;
  }
};
