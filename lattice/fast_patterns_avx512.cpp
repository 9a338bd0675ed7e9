// The fast path's kernel for AVX-512 (F, CD, DQ and BW); built with that instruction set enabled.
#include "lattice/fast_patterns_kernel.h"

template int ComputeFastFrame<xsimd::avx512dq>(int32_t mode, const FrameTerms<Extended>& frame);
