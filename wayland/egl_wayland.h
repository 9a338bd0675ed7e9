// EGL on the Wayland platform with the desktop OpenGL API: one compatibility context that
// every screen's surface shares, so all of them draw through the same GL state and arrays.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <string>

struct EglDrawing {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  EGLContext context = EGL_NO_CONTEXT;
};

// Initialises EGL on the connection and makes the context. On failure, returns false with one
// line in `error` that says what is missing and what to install.
bool StartEgl(wl_display* display, EglDrawing& egl, std::string& error);
void StopEgl(EglDrawing& egl);

// A drawable surface of this buffer size on `surface`; EGL_NO_SURFACE when EGL refuses it.
// Swapping never waits for the compositor: the saver paces its frames itself.
EGLSurface CreateEglSurface(EglDrawing& egl, wl_egl_window* window);
// Releases the context from the surface first when it is current, so no drawing reaches it.
void DestroyEglSurface(EglDrawing& egl, EGLSurface surface);
