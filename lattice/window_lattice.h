// The lattice of a window whose size may change while it is drawn on (the settings preview
// resizes its window; the root grows with the screen).
#pragma once

#include <cstdint>
#include <optional>

// Lays out a lattice of `rows` rows for a window (or an image) of this size from the given seed,
// or the clock's when none is given; a given mode replaces the one drawn at random. Returns the
// seed it started from, so a clock-seeded picture can be made again.
uint32_t StartSeededLattice(int32_t rows, int32_t width, int32_t height, std::optional<uint32_t> seed,
                            std::optional<int32_t> mode);

// StartSeededLattice from the clock's seed.
void StartLattice(int32_t rows, int32_t width, int32_t height, std::optional<int32_t> mode);

// Lays the lattice out again when the window's size differs from ScreenWidth x ScreenHeight.
// The pattern mode, phases and drifts carry on, so the picture keeps its colours and motion.
// Returns whether the size changed.
bool FollowWindowSize(int32_t width, int32_t height);
