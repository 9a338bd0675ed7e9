// The animation's random generator: a 32-bit linear congruential generator whose draws are the
// high half of the product of the new seed and the range.
#pragma once

#include <cstdint>

// Returns a uniform integer in 0..n-1 and advances the seed.
int32_t Random(int32_t n);

// Seeds from the current UTC time of day in milliseconds.
void Randomize();

uint32_t RandomSeed();
void SetRandomSeed(uint32_t seed);
