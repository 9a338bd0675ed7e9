// vellumir-render: the developers' window into the animation. Builds a lattice, runs frames and
// writes the resulting state as a dump and/or an offscreen render.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/random.h"
#include "tools/frame_dump.h"
#include "tools/offscreen_render.h"
#include "tools/pending_file.h"
#include "tools/render_options.h"

namespace {

constexpr int BadInput = 2;

int Fail(const std::string& message) {
  std::fprintf(stderr, "vellumir-render: %s\n", message.c_str());
  return BadInput;
}

void BuildState(const RenderOptions& options) {
  ScreenWidth = options.width;
  ScreenHeight = options.height;
  if (options.seed) {
    SetRandomSeed(*options.seed);
    BuildSeededLattice(options.rows);
  } else {
    BuildLattice(options.rows);
  }
  if (options.mode) PatternMode = *options.mode;
  if (options.phases) {
    PhaseA = (*options.phases)[0];
    PhaseB = (*options.phases)[1];
    PhaseC = (*options.phases)[2];
    DriftA = DriftB = DriftC = 0;
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetFloatingPointControl();
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    return Fail(error + " (options: --width W --height H --rows R --seed S --mode M --phases A,B,C --frames N"
                        " --dump FILE --png FILE --exact)");
  }

  // Check and open both targets before the work, so a bad path costs nothing and leaves nothing.
  std::unique_ptr<PendingFile> dump, png;
  for (auto [path, file] : {std::pair{&options.dumpPath, &dump}, std::pair{&options.pngPath, &png}}) {
    if (path->empty()) continue;
    const std::string problem = FindTargetProblem(*path);
    if (!problem.empty()) return Fail("cannot write " + QuoteArgument(*path) + ": " + problem);
    *file = std::make_unique<PendingFile>(*path);
    if (!(*file)->stream()) return Fail("cannot write " + QuoteArgument(*path));
  }
  if (dump && png && IsSameTarget(options.dumpPath, options.pngPath))
    return Fail("--dump and --png name the same file " + QuoteArgument(options.pngPath));

  ExactArithmetic = options.exact;
  BuildState(options);
  for (int64_t frame = 0; frame < options.frames; ++frame) ComputeFrame();

  if (dump && !(WriteFrameDump(dump->stream()) && dump->Close()))
    return Fail("cannot write " + QuoteArgument(options.dumpPath));
  if (png) {
    Image image;
    if (!RenderOffscreen(image)) return Fail("no offscreen OpenGL context could be made");
    if (!(WritePng(image, png->stream()) && png->Close())) return Fail("cannot write " + QuoteArgument(options.pngPath));
  }
  // Both complete: publish them together; a file not kept is taken back as it goes out of scope.
  if (dump && !dump->Publish()) return Fail("cannot write " + QuoteArgument(options.dumpPath));
  if (png && !png->Publish()) return Fail("cannot write " + QuoteArgument(options.pngPath));
  if (dump) dump->Keep();
  if (png) png->Keep();
  return 0;
}
