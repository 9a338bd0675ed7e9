// OPENGL32.DLL for the tests: a system whose OpenGL cannot be set up. VELLUMIR_OPENGL_FAILURE
// names the step that fails, and every step after it fails as it would on a real system:
//   choose   no pixel format matches        set      the pixel format cannot be set
//   create   no context can be made         current  the context cannot be made current
//   load     the module itself does not load, as on a system without OpenGL
// Every call is logged; at exit the log gets how many gl* calls and swaps were made, all of
// which would have gone through no context at all.
#include <string>

#include "fixture_log.h"

namespace {

int glCalls = 0, swaps = 0;
bool formatSet = false;
int context;  // its address is the one context this system ever hands out

bool Fails(const char* step) {
  char failure[16] = "";
  GetEnvironmentVariableA("VELLUMIR_OPENGL_FAILURE", failure, sizeof failure);
  return std::string(failure) == step;
}

int Logged(const char* call, int result) {
  AppendFixtureLog(std::string(call) + " " + std::to_string(result));
  return result;
}

}  // namespace

extern "C" {

int WINAPI StandInChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR*) {
  return Logged("wglChoosePixelFormat", Fails("choose") ? 0 : 1);
}

BOOL WINAPI StandInSetPixelFormat(HDC, int format, const PIXELFORMATDESCRIPTOR*) {
  formatSet = format == 1 && !Fails("set");
  return Logged("wglSetPixelFormat", formatSet);
}

int WINAPI StandInGetPixelFormat(HDC) { return formatSet ? 1 : 0; }

int WINAPI StandInDescribePixelFormat(HDC, int, UINT, PIXELFORMATDESCRIPTOR*) { return 0; }

HGLRC WINAPI StandInCreateContext(HDC) {
  const bool made = Logged("wglCreateContext", formatSet && !Fails("create"));
  return made ? reinterpret_cast<HGLRC>(&context) : nullptr;
}

BOOL WINAPI StandInMakeCurrent(HDC, HGLRC made) {
  // Releasing the current context always works; making one current never does here.
  AppendFixtureLog("wglMakeCurrent " + std::to_string(made != nullptr) + " " + std::to_string(!made));
  return !made;
}

BOOL WINAPI StandInDeleteContext(HGLRC deleted) {
  return Logged("wglDeleteContext", deleted == reinterpret_cast<HGLRC>(&context));
}

HDC WINAPI StandInGetCurrentDC() { return nullptr; }

BOOL WINAPI StandInSwapBuffers(HDC) {
  ++swaps;
  return FALSE;
}

void WINAPI StandInGlCall() { ++glCalls; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && Fails("load")) return Logged("DllMain", FALSE);
  if (reason == DLL_PROCESS_DETACH)
    AppendFixtureLog("gl-calls=" + std::to_string(glCalls) + " swaps=" + std::to_string(swaps));
  return TRUE;
}

}  // extern "C"
