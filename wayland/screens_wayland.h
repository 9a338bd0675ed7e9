// The compositor's globals, its outputs with the saver's surface on each, and the seats whose
// input ends the saver.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"
#include "ext-idle-notify-v1-client-protocol.h"
#include "lattice/lattice_copy.h"
#include "viewporter-client-protocol.h"
#include "wayland/egl_wayland.h"
#include "wayland/saver_logic.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

struct Screens;

// What the compositor told of one output: kept while the saver's surfaces come and go.
struct OutputDescription {
  Screens* screens = nullptr;
  wl_output* output = nullptr;
  uint32_t name = 0;  // the global's
  int32_t scale = 1, modeWidth = 0, modeHeight = 0;
  bool turned = false;  // a quarter turn: the mode's width is the output's height
  bool described = false;  // its first description is complete
  // Its place and size in the desktop's layout, where the compositor tells them.
  zxdg_output_v1* xdgOutput = nullptr;
  int32_t layoutX = 0, layoutY = 0, layoutWidth = 0, layoutHeight = 0;
  bool placed = false;
};

// One output, and while the saver shows, its surface with a lattice of its own.
struct Output : OutputDescription {
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layerSurface = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  wp_fractional_scale_v1* fractionalScale = nullptr;
  wp_viewport* viewport = nullptr;
  uint32_t scale120 = 0;  // the preferred fractional scale; 0 until the compositor names one
  int32_t width = 0, height = 0;  // surface coordinates; 0 until a size is known
  int32_t askedWidth = 0, askedHeight = 0;  // the last configure's, 0 where left to us
  int32_t pendingWidth = 0, pendingHeight = 0;  // a toplevel's size until its configure ends
  bool configured = false;
  bool closed = false;  // the compositor (or the user through it) took the surface away
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  BufferLayout buffer{0, 0, 0, false};  // what the surface was last given
  int32_t shownWidth = 0, shownHeight = 0;  // the viewport's destination, once set
  wl_callback* frameCallback = nullptr;
  FramePacing pacing;
  LatticeCopy lattice;
  bool latticeStarted = false;
};

struct Seat {
  Screens* screens = nullptr;
  wl_seat* seat = nullptr;
  uint32_t name = 0;
  wl_pointer* pointer = nullptr;
  wl_surface* pointerSurface = nullptr;  // the surface the pointer is over
  wl_keyboard* keyboard = nullptr;
  wl_touch* touch = nullptr;
};

struct Screens {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  xdg_wm_base* wmBase = nullptr;
  wp_fractional_scale_manager_v1* fractionalScaleManager = nullptr;
  wp_viewporter* viewporter = nullptr;
  zxdg_output_manager_v1* xdgOutputManager = nullptr;
  ext_idle_notifier_v1* idleNotifier = nullptr;
  org_kde_kwin_idle* kdeIdle = nullptr;
  std::vector<std::unique_ptr<Seat>> seats;
  std::vector<std::unique_ptr<Output>> outputs;

  EglDrawing egl;
  int64_t delayMicroseconds = 30000;
  bool showing = false;  // the saver's surfaces are up
  // When it showed, or a surface of it first drew, whichever is later: some compositors count
  // the saver's own appearance as the user's activity.
  int64_t appearedAt = 0;

  // Input since the saver showed: where the pointer first stood, and whether the user acted.
  PointerOrigin pointerOrigin;
  bool userActed = false;

  // The lattice in the animation's module-level state, and the screen the GL scene is set
  // up for (one context serves them all).
  Output* latticeOwner = nullptr;
  Output* sceneOwner = nullptr;
  uint32_t latticesStarted = 0;
};

// Connects the registry and waits for the first description of every global. On failure,
// returns false with one line in `error`.
bool StartScreens(Screens& screens, std::string& error);
// Destroys every surface and object, and disconnects.
void StopScreens(Screens& screens);

// Puts the saver's surface on every described output from now on; forgets the input before.
void ShowSaver(Screens& screens);
// Takes every surface down again (the outputs stay known).
void HideSaver(Screens& screens);

// Takes the surfaces the compositor closed while their output stayed as the user's dismissal (a
// window closed from the overview, a layer surface dismissed): those of outputs that went away
// are not. False when the connection failed.
bool TakeClosedSurfaces(Screens& screens);

// The space the pointer's position over `surface` counts in (the layout's, or the surface's
// own), and the position in it.
const void* PointerSpace(const Screens& screens, wl_surface* surface, int32_t& x, int32_t& y);

// Tells the compositor to send a frame callback for `output`'s next commit.
void RequestFrameCallback(Output& output);
