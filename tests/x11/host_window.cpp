// A stand-in for another client's window (the daemon's, the settings preview's):
//   x11_host_window WIDTH HEIGHT SCREEN default|single-buffered
//     makes a black window, prints its id and keeps it until killed;
//   x11_host_window close ID
//     asks a window to close, as a window manager's close button does.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int AskToClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  if (argc == 3 && std::strcmp(argv[1], "close") == 0) return AskToClose(display, std::strtoul(argv[2], nullptr, 0));
  if (argc != 5) return 2;
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), screen = std::atoi(argv[3]);
  XVisualInfo chosen{};
  chosen.visual = DefaultVisual(display, screen);
  chosen.depth = DefaultDepth(display, screen);
  if (std::strcmp(argv[4], "single-buffered") == 0) {
    int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 1, None};  // without GLX_DOUBLEBUFFER: single only
    XVisualInfo* visual = glXChooseVisual(display, screen, attributes);
    if (!visual) return 3;
    chosen = *visual;
  }
  XSetWindowAttributes settings{};
  settings.colormap = XCreateColormap(display, RootWindow(display, screen), chosen.visual, AllocNone);
  settings.background_pixel = BlackPixel(display, screen);
  settings.border_pixel = 0;
  const Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, chosen.depth,
                                      InputOutput, chosen.visual, CWColormap | CWBackPixel | CWBorderPixel, &settings);
  XStoreName(display, window, "vellumir test host");
  XMapWindow(display, window);
  XSync(display, False);
  std::printf("0x%lx\n", static_cast<unsigned long>(window));
  std::fflush(stdout);
  for (XEvent event;;) XNextEvent(display, &event);
}
