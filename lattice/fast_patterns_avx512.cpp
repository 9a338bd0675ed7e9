// The fast path's kernel for avx512f; built with that instruction set enabled.
#include "lattice/fast_patterns_kernel.h"

template int ComputeFastFrame<xsimd::avx512f>(int32_t mode, const FrameTerms<Extended>& frame);
