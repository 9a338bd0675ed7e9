// The fast path of the pattern computation: batches of nodes in double precision with SIMD,
// on the widest instruction set the processor has, with a guard that hands every node whose
// float results it cannot prove equal to the extended evaluation back to that evaluation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/formulas.h"

// Computes, folds and lifts every node of the given mode for this frame.
void ComputeNodesFast(int32_t mode, const FrameTerms<Extended>& frame);

// Nodes of the last fast frame that the guard handed to the extended evaluation.
extern int32_t FastFallbacks;

// The instruction set the fast path runs on: "avx512", "avx2" or "sse2", the widest the
// processor and the system support unless chosen below.
const char* FastInstructionSet();

// Every instruction set this processor can run the fast path on, widest first.
std::vector<std::string> FastInstructionSets();

// Runs the fast path on the named set from now on, so each kernel can be tested and measured;
// false, and nothing changes, when the processor lacks it.
bool UseFastInstructionSet(const std::string& name);
