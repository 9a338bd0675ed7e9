#include "tools/frame_dump.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/random.h"

namespace {

void AppendWord(std::vector<unsigned char>& bytes, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(word >> shift));
}

void AppendFloat(std::vector<unsigned char>& bytes, float value) {
  uint32_t word;
  std::memcpy(&word, &value, sizeof word);
  AppendWord(bytes, word);
}

}  // namespace

bool WriteFrameDump(std::FILE* stream) {
  std::vector<unsigned char> bytes = {'V', 'L', 'M', 'R', 'D', 'U', 'M', 'P'};
  for (int32_t value : {1, RowCount, ColCount, PatternMode}) AppendWord(bytes, static_cast<uint32_t>(value));
  AppendWord(bytes, RandomSeed());
  for (float value : {PhaseA, PhaseB, PhaseC, DriftA, DriftB, DriftC, OffsetX, OffsetY}) AppendFloat(bytes, value);
  for (const NodeArray* array : {&GridX, &GridY, &Jitter, &ChannelR, &ChannelG, &ChannelB, &Relief})
    for (int32_t i = 0; i <= RowCount; ++i)
      for (int32_t j = 0; j <= ColCount; ++j) AppendFloat(bytes, (*array)[i][j]);
  return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}
