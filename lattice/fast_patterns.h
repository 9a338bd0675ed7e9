// The fast path of the pattern computation: batches of nodes in double precision with SIMD,
// on the widest instruction set the processor has, with a guard that hands every node whose
// float results it cannot prove equal to the extended evaluation back to that evaluation.
#pragma once

#include <cstdint>

#include "lattice/extended.h"
#include "lattice/formulas.h"

// Computes, folds and lifts every node of the given mode for this frame; false when this build
// has no fast path, and then nothing was computed.
bool ComputeNodesFast(int32_t mode, const FrameTerms<Extended>& frame);

// Nodes of the last fast frame that the guard handed to the extended evaluation.
extern int32_t FastFallbacks;

// The instruction set the fast path runs on: "avx512f", "avx2", "sse2" or "none".
const char* FastInstructionSet();
