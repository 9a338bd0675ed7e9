// The draw half through EGL without a display: on the machine's GPU driver when it has one,
// else on Mesa's. Both ways of submitting the mesh, call by call (the Windows saver) and from
// vertex arrays (the hack), at 1920 x 1080 and 3840 x 2160 with 100 rows. Wall time per frame
// includes glFinish; submit_cpu_ms is this thread's CPU time spent handing the mesh over.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "lattice/extended.h"
#include "lattice/lattice.h"
#include "lattice/random.h"
#include "scene/mesh.h"
#include "scene/scene.h"

namespace {

struct EglTarget {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
};

bool IsSoftware(PFNEGLQUERYDEVICESTRINGEXTPROC queryDeviceString, EGLDeviceEXT device) {
  const char* extensions = queryDeviceString(device, EGL_EXTENSIONS);
  return extensions && std::strstr(extensions, "EGL_MESA_device_software");
}

// The first initialised display of a hardware device, else of a software one.
EGLDisplay OpenDeviceDisplay() {
  const auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
  const auto queryDeviceString =
      reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
  const auto platformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLint count = 0;
  EGLDeviceEXT devices[16];
  if (!queryDevices || !queryDeviceString || !platformDisplay || !queryDevices(16, devices, &count)) return EGL_NO_DISPLAY;
  for (const bool software : {false, true})
    for (EGLint index = 0; index < count; ++index) {
      if (IsSoftware(queryDeviceString, devices[index]) != software) continue;
      EGLDisplay display = platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[index], nullptr);
      if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
    }
  return EGL_NO_DISPLAY;
}

// A compatibility context on a pbuffer of this size, made current; false where EGL offers none.
bool OpenTarget(EglTarget& target, int32_t width, int32_t height) {
  target.display = OpenDeviceDisplay();
  if (target.display == EGL_NO_DISPLAY) return false;
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
  EGLConfig config;
  EGLint configs = 0;
  if (!eglChooseConfig(target.display, configAttributes, &config, 1, &configs) || configs == 0) return false;
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  target.surface = eglCreatePbufferSurface(target.display, config, surfaceAttributes);
  if (target.surface == EGL_NO_SURFACE || !eglBindAPI(EGL_OPENGL_API)) return false;
  target.context = eglCreateContext(target.display, config, EGL_NO_CONTEXT, nullptr);
  return target.context != EGL_NO_CONTEXT &&
         eglMakeCurrent(target.display, target.surface, target.surface, target.context);
}

void CloseTarget(EglTarget& target) {
  if (target.display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(target.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (target.context != EGL_NO_CONTEXT) eglDestroyContext(target.display, target.context);
  if (target.surface != EGL_NO_SURFACE) eglDestroySurface(target.display, target.surface);
  eglTerminate(target.display);
}

int64_t ThreadCpuNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void DrawHalf(benchmark::State& state, void (*drawMesh)()) {
  ScreenWidth = static_cast<int32_t>(state.range(0));
  ScreenHeight = static_cast<int32_t>(state.range(1));
  SetRandomSeed(20261208);
  BuildSeededLattice(100);
  PatternMode = 1;
  ComputeFrame();
  EglTarget target;
  if (!OpenTarget(target, ScreenWidth, ScreenHeight)) {
    state.SkipWithError("EGL offers no device with an OpenGL pbuffer here");
    CloseTarget(target);
    return;
  }
  state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  InitGL();
  int64_t submitting = 0;
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const int64_t start = ThreadCpuNanoseconds();
    drawMesh();
    submitting += ThreadCpuNanoseconds() - start;
    glFinish();
  }
  state.counters["submit_cpu_ms"] = benchmark::Counter(submitting / 1e6 / state.iterations());
  CloseTarget(target);
}

}  // namespace

BENCHMARK_CAPTURE(DrawHalf, Immediate, DrawMesh)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(DrawHalf, Arrays, DrawMeshArrays)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
  SetFloatingPointControl();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
