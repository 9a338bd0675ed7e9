// Milliseconds per 1920 x 1080 frame of 100 rows: the computing half per pattern mode, and the
// drawing half through Mesa's offscreen renderer.
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>
#include <cpuid.h>

#include <cstring>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/fast_patterns.h"
#include "lattice/lattice.h"
#include "lattice/lattice_copy.h"
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

// The computing half of every screen's step where each screen has a lattice of its own that takes
// its turn in the module-level state, as the Wayland saver's outputs do: one 1920 x 1080 screen,
// or that and a 1280 x 1024 one, on the fast path of the widest set.
void ScreensTakingTurns(benchmark::State& state) {
  const struct {
    int32_t width, height;
  } sizes[] = {{1920, 1080}, {1280, 1024}};
  std::vector<LatticeCopy> lattices(static_cast<size_t>(state.range(0)));
  for (size_t screen = 0; screen < lattices.size(); ++screen) {
    ScreenWidth = sizes[screen].width, ScreenHeight = sizes[screen].height;
    SetRandomSeed(20261208 + screen);
    BuildSeededLattice(100);
    PatternMode = 1;
    CopyLatticeOut(lattices[screen]);
  }
  for (auto _ : state)
    for (LatticeCopy& lattice : lattices) {
      // One screen alone never leaves the module-level state.
      if (lattices.size() > 1) PutLatticeBack(lattice);
      ComputeFrame();
      if (lattices.size() > 1) CopyLatticeOut(lattice);
    }
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

// The processor's vendor, family and model as its manuals number them, so that figures name the
// processor they came from.
std::string ProcessorName() {
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx)) return "unknown";
  char vendor[13] = {};
  std::memcpy(vendor, &ebx, 4), std::memcpy(vendor + 4, &edx, 4), std::memcpy(vendor + 8, &ecx, 4);
  __get_cpuid(1, &eax, &ebx, &ecx, &edx);
  unsigned family = (eax >> 8) & 0xF, model = (eax >> 4) & 0xF;
  if (family == 0xF) family += (eax >> 20) & 0xFF;
  if (family == 6 || family >= 0xF) model |= ((eax >> 16) & 0xF) << 4;
  return std::string(vendor) + ", family " + std::to_string(family) + ", model " + std::to_string(model);
}

}  // namespace

BENCHMARK(ScreensTakingTurns)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
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
  benchmark::AddCustomContext("processor", ProcessorName());
  benchmark::AddCustomContext("fast path kernels", [&] {
    std::string names;
    for (const std::string& set : FastInstructionSets()) names += (names.empty() ? "" : ", ") + set;
    return names + " (the saver runs " + FastInstructionSet() + ")";
  }());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
