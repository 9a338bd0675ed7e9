// Milliseconds per 1920 x 1080 frame of 100 rows: the computing half per pattern mode, and the
// drawing half through Mesa's offscreen renderer.
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/fast_patterns.h"
#include "lattice/lattice.h"
#include "scene/mesh.h"
#include "lattice/patterns.h"
#include "lattice/random.h"
#include "scene/scene.h"

namespace {

void BuildFullHd(int mode) {
  ScreenWidth = 1920, ScreenHeight = 1080;
  SetRandomSeed(20261208);
  BuildSeededLattice(100);
  PatternMode = mode;
}

// The computing half on the fast path (on the given instruction set) or in extended precision
// throughout.
void ComputeHalf(benchmark::State& state, int mode, const std::string& set) {
  BuildFullHd(mode);
  const bool exact = set.empty();
  ExactArithmetic = exact;
  if (!exact) UseFastInstructionSet(set);
  int64_t fallbacks = 0;
  for (auto _ : state) {
    ComputeFrame();
    fallbacks += FastFallbacks;
    benchmark::DoNotOptimize(ChannelR[50][89]);
  }
  ExactArithmetic = false;
  UseFastInstructionSet(FastInstructionSets().front());
  if (!exact)
    state.counters["fallbacks_per_frame"] = benchmark::Counter(static_cast<double>(fallbacks) / state.iterations());
}

void DrawHalf(benchmark::State& state) {
  BuildFullHd(static_cast<int>(state.range(0)));
  ComputeFrame();
  std::vector<unsigned char> buffer(static_cast<size_t>(ScreenWidth) * ScreenHeight * 4);
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
  if (!context || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, ScreenWidth, ScreenHeight)) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  InitGL();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawMesh();
    glFinish();
  }
  OSMesaDestroyContext(context);
}

}  // namespace

BENCHMARK(DrawHalf)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  SetFloatingPointControl();
  std::vector<std::string> sets = FastInstructionSets();
  sets.push_back("");  // extended precision
  for (const std::string& set : sets)
    for (int mode = 1; mode <= 5; ++mode) {
      const std::string name = (set.empty() ? "ComputeHalfExact/" : "ComputeHalfFast/" + set + "/") + std::to_string(mode);
      benchmark::RegisterBenchmark(name.c_str(), ComputeHalf, mode, set)->Unit(benchmark::kMillisecond);
    }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
