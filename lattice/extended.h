// Extended-precision arithmetic shared by every formula of the animation.
//
// Each formula is evaluated in 80-bit extended precision (64-bit significand) and rounded to
// float only when stored. The transcendental functions use the x87 instructions directly, so the
// native tool and the Windows saver (glibc and MinGW-w64 runtimes) compute the same bits.
#pragma once

#include <cfloat>

#if LDBL_MANT_DIG == 64 && (defined(__x86_64__) || defined(__i386__))
#define VELLUMIR_X87 1
#else
#define VELLUMIR_X87 0
#pragma message("long double has no 64-bit significand here: formulas use the widest type available and results may differ from x86 builds")
#endif

using Extended = long double;

constexpr Extended Pi = 3.1415926535897932385L;
constexpr Extended TwoPi = 6.283185307179586477L;

// Sets the x87 control word to 0x133F (all exceptions masked, 64-bit precision, round to
// nearest) and masks the SSE exceptions, so divisions by zero and logarithms of zero yield
// infinities and NaNs instead of trapping. Call once at start-up, before any formula.
void SetFloatingPointControl();

// The x87 sine and cosine leave arguments of magnitude 2^63 or more unreduced; the animation
// defines the result as 0 there.
Extended Sine(Extended x);
Extended Cosine(Extended x);
Extended Ln(Extended x);
Extended SquareRoot(Extended x);

inline Extended Abs(Extended x) { return x < 0 ? -x : x; }

// Constants for the formulas written over a number type (lattice/formulas.h): each number type
// says how it holds a small integer and an extended constant such as 1e-7L.
template <class T>
struct Constants;

template <>
struct Constants<Extended> {
  static Extended Exact(int n) { return n; }
  static Extended Decimal(Extended c) { return c; }
};

template <class T>
T Exact(int n) {
  return Constants<T>::Exact(n);
}

template <class T>
T Decimal(Extended c) {
  return Constants<T>::Decimal(c);
}
