#include "lattice/lattice_copy.h"

#include <algorithm>

#include "lattice/random.h"

void CopyLatticeOut(LatticeCopy& copy) {
  const size_t rowLength = static_cast<size_t>(ColCount) + 1, nodes = (static_cast<size_t>(RowCount) + 1) * rowLength;
  copy.gridX.resize(nodes);
  copy.gridY.resize(nodes);
  copy.jitter.resize(nodes);
  for (int32_t i = 0; i <= RowCount; ++i) {
    const size_t row = static_cast<size_t>(i) * rowLength;
    std::copy_n(GridX[i], rowLength, copy.gridX.begin() + row);
    std::copy_n(GridY[i], rowLength, copy.gridY.begin() + row);
    std::copy_n(Jitter[i], rowLength, copy.jitter.begin() + row);
  }
  copy.screenWidth = ScreenWidth;
  copy.screenHeight = ScreenHeight;
  copy.rowCount = RowCount;
  copy.colCount = ColCount;
  copy.patternMode = PatternMode;
  copy.phases[0] = PhaseA, copy.phases[1] = PhaseB, copy.phases[2] = PhaseC;
  copy.drifts[0] = DriftA, copy.drifts[1] = DriftB, copy.drifts[2] = DriftC;
  copy.randomSeed = RandomSeed();
  copy.layout = LatticeLayouts;
}

void FixedTermRelease::operator()(FixedTermStore* store) const {
  if (FixedTerms == store) FixedTerms = &ModuleFixedTerms;
  delete store;
}

void UseOwnFixedTerms(LatticeCopy& copy) {
  if (!copy.fixedTerms) copy.fixedTerms.reset(new FixedTermStore());
  FixedTerms = copy.fixedTerms.get();
}

void PutLatticeBack(LatticeCopy& copy) {
  ScreenWidth = copy.screenWidth;
  ScreenHeight = copy.screenHeight;
  RowCount = copy.rowCount;
  ColCount = copy.colCount;
  PatternMode = copy.patternMode;
  PhaseA = copy.phases[0], PhaseB = copy.phases[1], PhaseC = copy.phases[2];
  DriftA = copy.drifts[0], DriftB = copy.drifts[1], DriftC = copy.drifts[2];
  SetRandomSeed(copy.randomSeed);
  const size_t rowLength = static_cast<size_t>(ColCount) + 1;
  for (int32_t i = 0; i <= RowCount; ++i) {
    const size_t row = static_cast<size_t>(i) * rowLength;
    std::copy_n(copy.gridX.begin() + row, rowLength, GridX[i]);
    std::copy_n(copy.gridY.begin() + row, rowLength, GridY[i]);
    std::copy_n(copy.jitter.begin() + row, rowLength, Jitter[i]);
  }
  ++LatticeLayouts;
  UseOwnFixedTerms(copy);
  // Terms filled while this very layout was current are this lattice's: they follow it into
  // the new count. Any other layout since, its own or another lattice's, left a different count.
  if (FixedTerms->layouts == copy.layout) FixedTerms->layouts = LatticeLayouts;
}
