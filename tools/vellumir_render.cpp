// vellumir-render: the developers' window into the animation. Builds a lattice, runs frames and
// writes the resulting state as a dump and/or an offscreen render; with neither, it only computes.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/lattice.h"
#include "lattice/patterns.h"
#include "lattice/window_lattice.h"
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

int CannotWrite(const std::string& path, const std::string& reason) {
  return Fail("cannot write " + QuoteArgument(path) + (reason.empty() ? "" : ": " + reason));
}

// Builds the lattice from the given seed, or from the clock's; returns the seed it used.
uint32_t BuildState(const RenderOptions& options) {
  const uint32_t seed = StartSeededLattice(options.rows, options.width, options.height, options.seed, options.mode);
  if (options.phases) {
    PhaseA = (*options.phases)[0];
    PhaseB = (*options.phases)[1];
    PhaseC = (*options.phases)[2];
    DriftA = DriftB = DriftC = 0;
  }
  return seed;
}

// "40 s", "12 min", "5 h", "30 days": a time left as a terminal line shows it.
std::string DescribeDuration(double seconds) {
  const struct {
    double size;
    const char* unit;
  } units[] = {{86400, "days"}, {3600, "h"}, {60, "min"}};
  for (const auto& unit : units)
    if (seconds >= 2 * unit.size) return std::to_string(static_cast<int64_t>(seconds / unit.size)) + " " + unit.unit;
  return std::to_string(static_cast<int64_t>(seconds)) + " s";
}

// Computes the frames; on a terminal, a run past its first second shows on one line, redrawn each
// second and cleared at the end, how far it has come and about how long it has left.
void ComputeFrames(int64_t frames) {
  using Clock = std::chrono::steady_clock;
  const bool onTerminal = isatty(STDERR_FILENO);
  const Clock::time_point start = Clock::now();
  Clock::time_point nextReport = start + std::chrono::seconds(1);
  bool reported = false;
  for (int64_t frame = 1; frame <= frames; ++frame) {
    ComputeFrame();
    if (!onTerminal || Clock::now() < nextReport) continue;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::fprintf(stderr, "\rvellumir-render: frame %lld of %lld, about %s left\x1b[K", static_cast<long long>(frame),
                 static_cast<long long>(frames), DescribeDuration(elapsed / frame * (frames - frame)).c_str());
    reported = true;
    nextReport += std::chrono::seconds(1);
  }
  if (reported) std::fputs("\r\x1b[K", stderr);
}

// What a picture needs to be made again, kept in it as text.
PngText DescribeRun(const RenderOptions& options, uint32_t seed) {
  PngText text = {{"Software", "vellumir-render " VELLUMIR_VERSION},
                  {"Seed", std::to_string(seed)},
                  {"Mode", std::to_string(PatternMode)},
                  {"Frames", std::to_string(options.frames)},
                  {"Size", std::to_string(options.width) + "x" + std::to_string(options.height)},
                  {"Rows", std::to_string(options.rows)}};
  if (options.phases) {
    char phases[64];
    const std::vector<float>& given = *options.phases;
    std::snprintf(phases, sizeof phases, "%.9g,%.9g,%.9g", given[0], given[1], given[2]);
    text.emplace_back("Phases", phases);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  SetFloatingPointControl();
  InstallSignalCleanup();
  RenderOptions options;
  std::string error;
  switch (ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case RenderRequest::ShowHelp:
      std::fputs(RenderUsage, stdout);
      return 0;
    case RenderRequest::ShowVersion:
      std::puts("vellumir-render " VELLUMIR_VERSION);
      return 0;
    case RenderRequest::Fail:
      return Fail(error + "; vellumir-render --help lists the options");
    case RenderRequest::Render:
      break;
  }

  // Check and open both targets before the work, so a bad path costs nothing and leaves nothing.
  std::unique_ptr<PendingFile> dump, png;
  for (auto [path, file] : {std::pair{&options.dumpPath, &dump}, std::pair{&options.pngPath, &png}}) {
    if (path->empty()) continue;
    const std::string problem = FindTargetProblem(*path);
    if (!problem.empty()) return CannotWrite(*path, problem);
    *file = std::make_unique<PendingFile>(*path);
    if (!(*file)->stream()) return CannotWrite(*path, (*file)->Reason());
  }
  if (dump && png && IsSameTarget(options.dumpPath, options.pngPath))
    return Fail("--dump and --png name the same file " + QuoteArgument(options.pngPath));

  ExactArithmetic = options.exact;
  const uint32_t seed = BuildState(options);
  // A clock-seeded run says its seed, so a frame worth keeping can be made again.
  if (!options.seed) std::fprintf(stderr, "seed %u\n", seed);
  ComputeFrames(options.frames);

  // Closed even after a failed write: closing finds the system's reason.
  if (dump) {
    const bool written = WriteFrameDump(dump->stream());
    if (!dump->Close() || !written) return CannotWrite(options.dumpPath, dump->Reason());
  }
  if (png) {
    Image image;
    if (!RenderOffscreen(image)) return Fail("no offscreen OpenGL context could be made");
    const bool written = WritePng(image, DescribeRun(options, seed), png->stream());
    if (!png->Close() || !written) return CannotWrite(options.pngPath, png->Reason());
  }
  // Both complete: publish them together; a file not kept is taken back as it goes out of scope.
  if (dump && !dump->Publish()) return CannotWrite(options.dumpPath, dump->Reason());
  if (png && !png->Publish()) return CannotWrite(options.pngPath, png->Reason());
  if (dump) dump->Keep();
  if (png) png->Keep();
  return 0;
}
