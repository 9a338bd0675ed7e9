// The pointer's rule for ending a saver, the same in every front end that watches a pointer.
#pragma once

#include <cstdint>
#include <cstdlib>

// Whether the cursor has moved far enough from where it stood to end the saver: more than 30
// pixels on either axis.
inline bool IsFarEnoughToDismiss(int32_t startX, int32_t startY, int32_t x, int32_t y) {
  const int64_t limit = 30;
  return std::llabs(int64_t{startX} - x) > limit || std::llabs(int64_t{startY} - y) > limit;
}
