// The five pattern modes: every node's three channels from a three-step iterated map seeded by
// the node's position and driven by the phases, then folded into 0..1 and lifted into relief.
#pragma once

#include <cstdint>

#include "lattice/extended.h"
#include "lattice/formulas.h"

// When set, every node is computed in extended precision: the reference that the fast path
// matches bit for bit, and its fallback.
extern bool ExactArithmetic;

// Computes the offsets and every node of the current PatternMode; a mode outside 1..5 computes
// nothing.
void ComputePattern();

// One node of the given mode in extended precision, folded and lifted.
void ComputeExactNode(int32_t mode, int32_t i, int32_t j, const FrameTerms<Extended>& frame);

// Folds the node's channels into 0..1 and sets its height.
void FinishNode(int32_t i, int32_t j);

// The distance from v to the nearest even integer for v in 0..10; values above 10 come out
// negative, negative values and NaN pass unchanged.
float FoldChannel(float v);
