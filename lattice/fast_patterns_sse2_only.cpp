// The fast path where the SSE2 kernel is the only one, so there is nothing to choose at run time:
// WebAssembly has one SIMD instruction set, to which Emscripten translates the kernel's SSE2
// intrinsics. The nodes its guard cannot decide go to the widest type there, long double as a
// 128-bit quad.
#include <xsimd/xsimd.hpp>

#include "lattice/fast_patterns.h"

int32_t FastFallbacks = 0;

template <class Arch>
int ComputeFastFrame(int32_t mode, const FrameTerms<Extended>& frame);
extern template int ComputeFastFrame<xsimd::sse2>(int32_t, const FrameTerms<Extended>&);

void ComputeNodesFast(int32_t mode, const FrameTerms<Extended>& frame) {
  FastFallbacks = ComputeFastFrame<xsimd::sse2>(mode, frame);
}
