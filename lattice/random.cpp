#include "lattice/random.h"

#include <chrono>

namespace {
uint32_t Seed = 0;
}

int32_t Random(int32_t n) {
  Seed = Seed * 134775813u + 1u;
  return static_cast<int32_t>((static_cast<uint64_t>(Seed) * static_cast<uint32_t>(n)) >> 32);
}

void Randomize() {
  using namespace std::chrono;
  const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
  // ((hour * 60 + minute) * 60 + second) * 1000 + millisecond of the UTC day.
  Seed = static_cast<uint32_t>(sinceEpoch.count() % (24LL * 60 * 60 * 1000));
}

uint32_t RandomSeed() { return Seed; }
void SetRandomSeed(uint32_t seed) { Seed = seed; }
