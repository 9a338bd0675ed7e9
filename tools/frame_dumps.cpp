// vellumir-frame-dumps: the frame tool's dump after every frame, one after another, for holding
// one build's arithmetic against another's frame by frame. Takes the frame tool's --width,
// --height, --rows, --seed, --mode, --frames, --exact and --dump, not --phases nor --png. The web
// tree builds it for Node (vellumir-frame-dumps.js), the native tree as a program;
// web/measure_exactness.mjs compares them.
#include <cstdio>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/window_lattice.h"
#include "tools/frame_dump.h"
#include "tools/render_options.h"

namespace {

const char Usage[] =
    "usage: vellumir-frame-dumps --seed S --dump FILE [--width W] [--height H] [--rows R] [--mode M]\n"
    "                            [--frames N] [--exact]\n"
    "Writes the state dump after every frame, one after another, into FILE. The options mean what\n"
    "vellumir-render's of the same names mean (vellumir-render --help).\n";

int Refuse(const std::string& problem) {
  std::fprintf(stderr, "vellumir-frame-dumps: %s\n%s", problem.c_str(), Usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  SetFloatingPointControl();
  RenderOptions options;
  std::string error;
  switch (ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case RenderRequest::ShowHelp:
      std::fputs(Usage, stdout);
      return 0;
    case RenderRequest::ShowVersion:
      std::puts("vellumir-frame-dumps " VELLUMIR_VERSION);
      return 0;
    case RenderRequest::Fail:
      return Refuse(error);
    case RenderRequest::Render:
      break;
  }
  // Every frame starts from the seed's own phases, and there is no picture to write.
  if (options.phases) return Refuse("--phases is the frame tool's alone");
  if (!options.pngPath.empty()) return Refuse("--png is the frame tool's alone");
  if (!options.seed || options.dumpPath.empty()) return Refuse("--seed and --dump are required");
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
