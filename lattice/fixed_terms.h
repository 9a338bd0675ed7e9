// The terms of each node that no frame changes, which the fast path keeps across frames: its
// seeds, its seed log term unless the frame enters it, the first step's sines, and whether the
// guard kept the node so far; node by node in the lattice's order, for the kernel, mode and
// layout that filled them. One store for every kernel, and plain data, so no code compiled for
// one set can stand in for another's. It holds a hundred rows of the widest lattice; a larger
// lattice computes these terms every frame.
#pragma once

#include <cstdint>

#include "lattice/lattice.h"

constexpr int32_t FixedTermNodes = (100 + 1) * MaxCols;

struct FixedTermStore {
  const void* owner;
  uint32_t layouts;
  int32_t rows, cols;
  float seedX[FixedTermNodes], seedY[FixedTermNodes], seedLog[FixedTermNodes], kept[FixedTermNodes];
  double sineValue[2][FixedTermNodes], sineError[2][FixedTermNodes];
};

// The module-level lattice's store, and the one the kernels use now: a lattice kept aside has a
// store of its own (LatticeCopy), so lattices that take turns do not refill each other's.
inline FixedTermStore ModuleFixedTerms;
inline FixedTermStore* FixedTerms = &ModuleFixedTerms;
