#include "wayland/egl_wayland.h"

#include <EGL/eglext.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "wayland/saver_logic.h"

namespace {

std::string EglErrorText(const char* call) {
  char text[64];
  std::snprintf(text, sizeof text, "%s failed with 0x%04x", call, static_cast<unsigned>(eglGetError()));
  return text;
}

}  // namespace

bool StartEgl(wl_display* display, EglDrawing& egl, std::string& error) {
  const char* const installDrivers = ": install Mesa's EGL and OpenGL drivers (libegl-mesa0, libgl1-mesa-dri)";
  // EGL 1.5's entry point, reached through the extension's so that older loaders serve too.
  const auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay) egl.display = getPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
  if (egl.display == EGL_NO_DISPLAY) {
    error = "no EGL for Wayland displays" + std::string(installDrivers);
    return false;
  }
  if (!eglInitialize(egl.display, nullptr, nullptr)) {
    error = "EGL does not start on this Wayland display (" + EglErrorText("eglInitialize") + ")" + installDrivers;
    egl.display = EGL_NO_DISPLAY;
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = "EGL offers no desktop OpenGL here" + std::string(installDrivers);
    return false;
  }
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                     EGL_NONE};
  // Every matching configuration: a driver may list hundreds before the one wanted.
  EGLint configCount = 0;
  std::vector<EGLConfig> configs;
  if (eglChooseConfig(egl.display, configAttributes, nullptr, 0, &configCount) && configCount > 0) {
    configs.resize(static_cast<size_t>(configCount));
    if (!eglChooseConfig(egl.display, configAttributes, configs.data(), configCount, &configCount)) configCount = 0;
    configs.resize(static_cast<size_t>(std::max(configCount, 0)));
  }
  std::vector<ColourDepth> depths;
  for (const EGLConfig config : configs) {
    ColourDepth depth{0, 0, 0};
    eglGetConfigAttrib(egl.display, config, EGL_RED_SIZE, &depth.red);
    eglGetConfigAttrib(egl.display, config, EGL_GREEN_SIZE, &depth.green);
    eglGetConfigAttrib(egl.display, config, EGL_BLUE_SIZE, &depth.blue);
    depths.push_back(depth);
  }
  const int chosen = ChooseColourConfig(depths);
  if (chosen >= 0) egl.config = configs[static_cast<size_t>(chosen)];
  if (!egl.config) {
    error = "EGL has no OpenGL window configuration with 8-bit colour" + std::string(installDrivers);
    return false;
  }
  // The scene is fixed-function OpenGL 1.1: a compatibility profile.
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                      EGL_NONE};
  egl.context = eglCreateContext(egl.display, egl.config, EGL_NO_CONTEXT, contextAttributes);
  if (egl.context == EGL_NO_CONTEXT) {
    error = "EGL made no OpenGL compatibility context (" + EglErrorText("eglCreateContext") + ")" + installDrivers;
    return false;
  }
  return true;
}

void StopEgl(EglDrawing& egl) {
  if (egl.display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (egl.context != EGL_NO_CONTEXT) eglDestroyContext(egl.display, egl.context);
  eglTerminate(egl.display);
  egl = {};
}

EGLSurface CreateEglSurface(EglDrawing& egl, wl_egl_window* window) {
  const EGLSurface surface =
      eglCreateWindowSurface(egl.display, egl.config, reinterpret_cast<EGLNativeWindowType>(window), nullptr);
  if (surface == EGL_NO_SURFACE) return surface;
  // The swap interval belongs to the surface current at the call.
  if (eglMakeCurrent(egl.display, surface, surface, egl.context)) eglSwapInterval(egl.display, 0);
  return surface;
}

void DestroyEglSurface(EglDrawing& egl, EGLSurface surface) {
  if (surface == EGL_NO_SURFACE) return;
  if (eglGetCurrentSurface(EGL_DRAW) == surface)
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroySurface(egl.display, surface);
}
