// The lattice and the animation state: module-level, zero at start, set once by BuildLattice.
#pragma once

#include <cstdint>

constexpr int MaxRows = 601;
constexpr int MaxCols = 801;
// The work vectors are indexed 1..51 as in the formulas; slot 0 is never used.
constexpr int WorkLength = 51;

using NodeArray = float[MaxRows][MaxCols];

extern NodeArray GridX, GridY, Relief, Jitter, ChannelR, ChannelG, ChannelB;
extern float IterX[WorkLength + 1], IterY[WorkLength + 1], IterL[WorkLength + 1];

extern int32_t ScreenWidth, ScreenHeight;
extern int32_t RowCount, ColCount, PatternMode;
extern float PhaseA, PhaseB, PhaseC;
extern float DriftA, DriftB, DriftC;
extern float OffsetX, OffsetY;
// Counts the times the grid was laid out (or put back from a copy): whatever is kept per node
// across frames is valid only while this stays the same.
extern uint32_t LatticeLayouts;

// The number of columns that keeps the cells of `rows` rows close to square on a window of the
// given size. Sizes below 1 count as 1 and the result is limited to 1..MaxCols - 1, so no window
// divides by zero or overruns the arrays.
int32_t ColumnCountFor(int32_t rows, int32_t width, int32_t height);

// Seeds the generator from the clock, then lays out the lattice for ScreenWidth x ScreenHeight.
void BuildLattice(int32_t rows);
// BuildLattice without the clock: the generator's current seed decides everything.
void BuildSeededLattice(int32_t rows);

void AdvancePhases();

// One animation step: advance the phases and compute, fold and lift every node.
void ComputeFrame();

// `steps` animation steps of which only the last is computed: the nodes depend on nothing but
// the phases and the layout, so the state is the one `steps` calls of ComputeFrame leave.
void ComputeFrameAfter(int64_t steps);
