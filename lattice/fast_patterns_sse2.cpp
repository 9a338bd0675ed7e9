// The fast path's kernel for sse2; built with that instruction set enabled.
#include "lattice/fast_patterns_kernel.h"

template int ComputeFastFrame<xsimd::sse2>(int32_t mode, const FrameTerms<Extended>& frame);
