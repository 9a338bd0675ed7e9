#include "x11/drawing_window_x11.h"

#include <cstdio>

#include "common/quote.h"

namespace {

int LastXError = 0;

int RecordXError(Display*, XErrorEvent* event) {
  LastXError = event->error_code;
  return 0;
}

std::string WindowName(Window window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(window));
  return text;
}

bool MakeOwnWindow(DrawingWindow& drawing, XVisualInfo*& visual, std::string& error) {
  Display* display = drawing.display;
  const int screen = DefaultScreen(display);
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
  visual = glXChooseVisual(display, screen, attributes);
  if (!visual) {
    error = "the display offers no double-buffered RGBA visual for OpenGL";
    return false;
  }
  const Window root = RootWindow(display, screen);
  XSetWindowAttributes settings{};
  drawing.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  settings.colormap = drawing.colormap;
  settings.background_pixel = BlackPixel(display, screen);
  settings.border_pixel = 0;
  settings.event_mask = KeyPressMask | StructureNotifyMask;
  drawing.width = 1280;
  drawing.height = 720;
  drawing.window = XCreateWindow(display, root, 0, 0, drawing.width, drawing.height, 0, visual->depth, InputOutput,
                                 visual->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &settings);
  drawing.ownWindow = true;
  XStoreName(display, drawing.window, "Vellumir");
  XClassHint classHint{const_cast<char*>("vellumir"), const_cast<char*>("Vellumir")};
  XSetClassHint(display, drawing.window, &classHint);
  drawing.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, drawing.window, &drawing.deleteWindow, 1);
  XMapWindow(display, drawing.window);
  return true;
}

// Someone else's window: we draw with its visual and follow its size, nothing more.
bool AdoptWindow(DrawingWindow& drawing, Window window, XVisualInfo*& visual, std::string& error) {
  Display* display = drawing.display;
  // Changes of size are asked for before the size is read: one in between is then still seen.
  XSelectInput(display, window, StructureNotifyMask);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    TakeXError();  // the selection's BadWindow
    error = "there is no window " + WindowName(window);
    return false;
  }
  if (attributes.c_class == InputOnly) {
    error = "window " + WindowName(window) + " is input-only and cannot be drawn on";
    return false;
  }
  XSync(display, False);
  if (TakeXError()) {
    error = "window " + WindowName(window) + " vanished";
    return false;
  }
  drawing.window = window;
  drawing.width = attributes.width;
  drawing.height = attributes.height;

  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  wanted.screen = XScreenNumberOfScreen(attributes.screen);
  int count = 0;
  visual = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
  int usesGL = 0, rgba = 0, doubleBuffer = 0;
  if (visual) {
    if (glXGetConfig(display, visual, GLX_USE_GL, &usesGL) != 0) usesGL = 0;
    if (glXGetConfig(display, visual, GLX_RGBA, &rgba) != 0) rgba = 0;
    if (glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffer) != 0) doubleBuffer = 0;
  }
  if (!usesGL || !rgba) {
    error = "the visual of window " + WindowName(window) + " has no usable OpenGL configuration";
    return false;
  }
  drawing.doubleBuffered = doubleBuffer != 0;
  return true;
}

}  // namespace

int TakeXError() {
  const int code = LastXError;
  LastXError = 0;
  return code;
}

bool OpenDrawingWindow(const HackOptions& options, DrawingWindow& drawing, std::string& error) {
  drawing.display = XOpenDisplay(nullptr);
  if (!drawing.display) {
    const char* shown = XDisplayName(nullptr);
    const std::string name = shown ? shown : "";
    if (name.empty())
      error = "DISPLAY is not set: run vellumir in a desktop session, or set DISPLAY to the X display to draw on, "
              "for example DISPLAY=:0";
    else
      error = "cannot open display " + QuoteArgument(name) +
              " named by DISPLAY: no X server answers there, or it refuses this user; set DISPLAY to one this user may use";
    return false;
  }
  XSetErrorHandler(RecordXError);
  int errorBase = 0, eventBase = 0;
  if (!glXQueryExtension(drawing.display, &errorBase, &eventBase)) {
    error = "the display has no GLX extension";
    return false;
  }

  XVisualInfo* visual = nullptr;
  bool ready = false;
  switch (options.target) {
    case DrawTarget::OwnWindow:
      ready = MakeOwnWindow(drawing, visual, error);
      break;
    case DrawTarget::RootWindow:
      ready = AdoptWindow(drawing, DefaultRootWindow(drawing.display), visual, error);
      break;
    case DrawTarget::GivenWindow:
      ready = AdoptWindow(drawing, options.windowId, visual, error);
      break;
  }
  if (ready) {
    drawing.context = glXCreateContext(drawing.display, visual, nullptr, True);
    ready = drawing.context && glXMakeCurrent(drawing.display, drawing.window, drawing.context);
    XSync(drawing.display, False);
    if (!ready || TakeXError()) {
      error = CheckWindowExists(drawing) ? "no OpenGL context could be made for window " + WindowName(drawing.window)
                                         : "window " + WindowName(drawing.window) + " vanished";
      ready = false;
    }
  }
  if (visual) XFree(visual);
  return ready;
}

bool CheckWindowExists(DrawingWindow& drawing) {
  XWindowAttributes attributes;
  drawing.windowGone = !XGetWindowAttributes(drawing.display, drawing.window, &attributes);
  TakeXError();  // the BadWindow of asking about a vanished window
  return !drawing.windowGone;
}

void CloseDrawingWindow(DrawingWindow& drawing) {
  // The driver's teardown of a context whose window was destroyed under it has been seen to abort
  // on a corrupted heap. The server frees the context and the connection when we exit: skip it.
  if (!drawing.display || drawing.windowGone) return;
  if (drawing.context) {
    glXMakeCurrent(drawing.display, None, nullptr);
    glXDestroyContext(drawing.display, drawing.context);
    drawing.context = nullptr;
  }
  if (drawing.ownWindow && drawing.window) XDestroyWindow(drawing.display, drawing.window);
  if (drawing.colormap) XFreeColormap(drawing.display, drawing.colormap);
  XCloseDisplay(drawing.display);
  drawing = DrawingWindow{};
}
