#include "lattice/extended.h"

#include <cmath>

#if VELLUMIR_X87
#include <xmmintrin.h>
#endif

namespace {

constexpr Extended ReductionLimit = 0x1p63L;

// NaN and infinity fall through to the instruction, which yields NaN for them.
bool BeyondReduction(Extended x) { return std::isfinite(x) && !(Abs(x) < ReductionLimit); }

}  // namespace

#if VELLUMIR_X87

void SetFloatingPointControl() {
  const unsigned short controlWord = 0x133F;
  asm volatile("fldcw %0" : : "m"(controlWord));
  _mm_setcsr(_mm_getcsr() | 0x1F80);
}

Extended Sine(Extended x) {
  if (BeyondReduction(x)) return 0;
  Extended result;
  asm("fsin" : "=t"(result) : "0"(x));
  return result;
}

Extended Cosine(Extended x) {
  if (BeyondReduction(x)) return 0;
  Extended result;
  asm("fcos" : "=t"(result) : "0"(x));
  return result;
}

Extended Ln(Extended x) {
  Extended result;
  asm("fldln2\n\tfxch\n\tfyl2x" : "=t"(result) : "0"(x) : "st(1)");
  return result;
}

Extended SquareRoot(Extended x) {
  Extended result;
  asm("fsqrt" : "=t"(result) : "0"(x));
  return result;
}

#else

void SetFloatingPointControl() {}

Extended Sine(Extended x) { return BeyondReduction(x) ? 0 : std::sin(x); }
Extended Cosine(Extended x) { return BeyondReduction(x) ? 0 : std::cos(x); }
Extended Ln(Extended x) { return std::log(x); }
Extended SquareRoot(Extended x) { return std::sqrt(x); }

#endif
