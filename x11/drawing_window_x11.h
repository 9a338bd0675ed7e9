// The X window the hack draws on, with a GLX context made current on it.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <string>

#include "common/hack_options.h"

struct DrawingWindow {
  Display* display = nullptr;
  Window window = 0;
  bool ownWindow = false;  // made by us: it takes keys and the window manager's close
  Atom deleteWindow = 0;
  GLXContext context = nullptr;
  bool doubleBuffered = true;
  int width = 0, height = 0;
  bool windowGone = false;  // destroyed under us: nothing may touch it any more
};

// Opens the display and the window the options name and makes a GLX context current on it,
// with the window's own visual. On failure, returns false with one line in `error`, having
// drawn nothing.
bool OpenDrawingWindow(const HackOptions& options, DrawingWindow& drawing, std::string& error);

// Releases the context, destroys our own window and closes the display; after the window
// vanished, leaves all of that to the process's exit.
void CloseDrawingWindow(DrawingWindow& drawing);

// Whether the window still exists, asked of the server; marks it gone when not.
bool CheckWindowExists(DrawingWindow& drawing);

// The code of the last X protocol error since the last call, or 0. Errors do not end the
// program: a window that vanishes under us must not take it down with Xlib's message.
int TakeXError();
