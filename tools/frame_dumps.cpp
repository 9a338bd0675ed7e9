// vellumir-frame-dumps: the frame tool's dump after every frame, one after another, for holding
// one build's arithmetic against another's frame by frame. Takes the frame tool's --width,
// --height, --rows, --seed, --mode, --frames and --exact. The web tree builds it for Node
// (vellumir-frame-dumps.js), the native tree as a program; web/measure_exactness.mjs compares them.
#include <cstdio>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/window_lattice.h"
#include "tools/frame_dump.h"
#include "tools/render_options.h"

int main(int argc, char** argv) {
  SetFloatingPointControl();
  RenderOptions options;
  std::string error;
  if (ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error) != RenderRequest::Render ||
      !options.seed || options.dumpPath.empty()) {
    std::fprintf(stderr, "vellumir-frame-dumps: %s\nusage: vellumir-frame-dumps --seed S --dump FILE [frame tool options]\n",
                 error.c_str());
    return 2;
  }
  std::FILE* dump = std::fopen(options.dumpPath.c_str(), "wb");
  if (!dump) {
    std::fprintf(stderr, "vellumir-frame-dumps: cannot write %s\n", QuoteArgument(options.dumpPath).c_str());
    return 1;
  }
  ExactArithmetic = options.exact;
  StartSeededLattice(options.rows, options.width, options.height, options.seed, options.mode);
  bool written = true;
  for (int64_t frame = 0; frame < options.frames && written; ++frame) {
    ComputeFrame();
    written = WriteFrameDump(dump);
  }
  return std::fclose(dump) == 0 && written ? 0 : 1;
}
