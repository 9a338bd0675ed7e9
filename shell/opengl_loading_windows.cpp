// OpenGL is delay-loaded (shell/windows.cmake): the module is loaded at the saver's first OpenGL
// call, from the system folder alone. Where it cannot be loaded at all, the loader's helper would
// raise an exception in the middle of the run, with the cursor hidden and the system told that a
// saver runs; instead every OpenGL entry point answers 0, so the saver meets a system without
// OpenGL as one whose OpenGL cannot be set up: no context, a black window that ends on input.
#include <windows.h>

#include <delayimp.h>

namespace {

INT_PTR WINAPI AnswerZero() { return 0; }

FARPROC WINAPI StandInForMissingOpenGL(unsigned notice, PDelayLoadInfo) {
  // The saver's own module stands in for the missing one; every lookup in it then fails.
  if (notice == dliFailLoadLib) return reinterpret_cast<FARPROC>(GetModuleHandleA(nullptr));
  if (notice == dliFailGetProc) return AnswerZero;
  return nullptr;
}

}  // namespace

// The helper asks this hook (declared with C linkage in delayimp.h) whenever a delay-loaded
// module or entry point cannot be found.
PfnDliHook __pfnDliFailureHook2 = StandInForMissingOpenGL;
