// The C library's memory thresholds for a process that draws through Mesa's software renderer.
#pragma once

#include <malloc.h>

// llvmpipe takes megabytes for each frame's triangles and frees them when the frame is drawn; the
// C library would give them back to the system every time, only for every page to fault in
// again, zeroed, in the next frame. Keep them.
inline void KeepRendererMemory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}
