// A lattice kept aside while another one occupies the module-level state, so one process can
// animate several lattices of their own (the Wayland saver's one per screen) over the same
// ComputeFrame.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lattice/fixed_terms.h"
#include "lattice/lattice.h"

// Gives the kernels the module-level store back when the store they use goes.
struct FixedTermRelease {
  void operator()(FixedTermStore* store) const;
};

struct LatticeCopy {
  // Only the used nodes, rows 0..RowCount by columns 0..ColCount, row after row: the channels
  // and the relief are computed afresh by every frame, so only the layout is kept.
  std::vector<float> gridX, gridY, jitter;
  int32_t screenWidth = 0, screenHeight = 0;
  int32_t rowCount = 0, colCount = 0, patternMode = 0;
  float phases[3] = {}, drifts[3] = {};
  uint32_t randomSeed = 0;
  // The fast path's per-node terms of this lattice, kept with it across turns, and the layout
  // (LatticeLayouts) it was copied out at.
  std::unique_ptr<FixedTermStore, FixedTermRelease> fixedTerms;
  uint32_t layout = 0;
};

// Copies the current lattice and animation state, the random generator's seed included. The
// copy's storage grows only when the lattice does, so a frame allocates nothing.
void CopyLatticeOut(LatticeCopy& copy);

// Points the kernels at the copy's own per-node terms, made on first use, so that the lattice
// laid out or put back next fills its own store rather than another lattice's.
void UseOwnFixedTerms(LatticeCopy& copy);

// Makes the copy the current lattice again, and counts that as a new layout of the grid; the
// kernels take up the copy's own per-node terms, still valid where they were filled for it.
void PutLatticeBack(LatticeCopy& copy);
