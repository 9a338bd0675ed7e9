#include "wayland/screens_wayland.h"

#include <algorithm>
#include <cstring>

#include "common/frame_rate.h"
#include "wayland/input_wayland.h"
#include "wayland/stop_signals.h"

namespace {

// A surface for each screen, of a kind the compositor keeps above everything: a layer
// surface on the overlay layer where offered, else a toplevel full screen on that output.
constexpr uint32_t AllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                              ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

// A surface whose size is known is drawn at once, whatever frame it was waiting for.
void FollowSize(Output& output, bool configure) {
  const SurfaceSize size =
      ChooseSurfaceSize({output.askedWidth, output.askedHeight}, {output.layoutWidth, output.layoutHeight},
                        {output.modeWidth, output.modeHeight}, output.scale, output.turned);
  const bool changed = size.width != output.width || size.height != output.height;
  output.width = size.width;
  output.height = size.height;
  if ((configure || changed) && !output.frameCallback) output.pacing.Restart(Microseconds(CLOCK_MONOTONIC));
}

// A compositor that leaves the size to us (0) gets the output's own, once that is known.
void TakeSize(Output& output, int32_t width, int32_t height) {
  output.askedWidth = width;
  output.askedHeight = height;
  output.configured = true;
  FollowSize(output, true);
}

void ConfigureLayer(void* data, zwlr_layer_surface_v1* layerSurface, uint32_t serial, uint32_t width,
                    uint32_t height) {
  auto& output = *static_cast<Output*>(data);
  zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
  TakeSize(output, static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX)),
           static_cast<int32_t>(std::min<uint32_t>(height, INT32_MAX)));
}

void CloseLayer(void* data, zwlr_layer_surface_v1*) { static_cast<Output*>(data)->closed = true; }

const zwlr_layer_surface_v1_listener LayerListener = {ConfigureLayer, CloseLayer};

void ConfigureToplevel(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  auto& output = *static_cast<Output*>(data);
  output.pendingWidth = width;
  output.pendingHeight = height;
}

void CloseToplevel(void* data, xdg_toplevel*) { static_cast<Output*>(data)->closed = true; }

// Sent only to newer versions than the one bound.
void IgnoreBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void IgnoreCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener ToplevelListener = {ConfigureToplevel, CloseToplevel, IgnoreBounds, IgnoreCapabilities};

void ConfigureXdgSurface(void* data, xdg_surface* surface, uint32_t serial) {
  auto& output = *static_cast<Output*>(data);
  xdg_surface_ack_configure(surface, serial);
  TakeSize(output, output.pendingWidth, output.pendingHeight);
}

const xdg_surface_listener XdgSurfaceListener = {ConfigureXdgSurface};

void TakePreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale120) {
  static_cast<Output*>(data)->scale120 = scale120;
}

const wp_fractional_scale_v1_listener FractionalScaleListener = {TakePreferredScale};

void TakeFrameShown(void* data, wl_callback* callback, uint32_t) {
  auto& output = *static_cast<Output*>(data);
  wl_callback_destroy(callback);
  output.frameCallback = nullptr;
  output.pacing.TakeFrameShown();
}

const wl_callback_listener FrameListener = {TakeFrameShown};

void CreateSurface(Screens& screens, Output& output) {
  output.surface = wl_compositor_create_surface(screens.compositor);
  output.pacing = FramePacing(screens.delayMicroseconds);
  if (screens.fractionalScaleManager && screens.viewporter) {
    output.fractionalScale =
        wp_fractional_scale_manager_v1_get_fractional_scale(screens.fractionalScaleManager, output.surface);
    wp_fractional_scale_v1_add_listener(output.fractionalScale, &FractionalScaleListener, &output);
    output.viewport = wp_viewporter_get_viewport(screens.viewporter, output.surface);
  }
  if (screens.layerShell) {
    output.layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        screens.layerShell, output.surface, output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "vellumir");
    zwlr_layer_surface_v1_set_anchor(output.layerSurface, AllEdges);
    // Over panels too, and every key is ours.
    zwlr_layer_surface_v1_set_exclusive_zone(output.layerSurface, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output.layerSurface,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    zwlr_layer_surface_v1_add_listener(output.layerSurface, &LayerListener, &output);
  } else {
    output.xdgSurface = xdg_wm_base_get_xdg_surface(screens.wmBase, output.surface);
    xdg_surface_add_listener(output.xdgSurface, &XdgSurfaceListener, &output);
    output.toplevel = xdg_surface_get_toplevel(output.xdgSurface);
    xdg_toplevel_add_listener(output.toplevel, &ToplevelListener, &output);
    xdg_toplevel_set_app_id(output.toplevel, "vellumir");
    xdg_toplevel_set_title(output.toplevel, "Vellumir");
    xdg_toplevel_set_fullscreen(output.toplevel, output.output);
  }
  // Opaque whatever the alpha of EGL's buffers: nothing below needs drawing, or blending.
  wl_region* everything = wl_compositor_create_region(screens.compositor);
  wl_region_add(everything, 0, 0, INT32_MAX, INT32_MAX);
  wl_surface_set_opaque_region(output.surface, everything);
  wl_region_destroy(everything);
  // The first commit carries no buffer; the compositor answers with the size.
  wl_surface_commit(output.surface);
}

// Where the pointer's positions over every output of known place count.
const void* LayoutSpace(const Screens& screens) { return &screens.outputs; }

// The compositor, not the user, moves the pointer when a screen under it goes or changes its
// place or size (a new scale): wherever it lands is a first position again.
void ForgetPointerOrigin(Output& output) {
  Screens& screens = *output.screens;
  screens.pointerOrigin.ForgetSpace(output.surface);
  if (output.placed) screens.pointerOrigin.ForgetSpace(LayoutSpace(screens));
}

void DestroySurface(Screens& screens, Output& output) {
  ForgetPointerOrigin(output);
  if (screens.latticeOwner == &output) screens.latticeOwner = nullptr;
  if (screens.sceneOwner == &output) screens.sceneOwner = nullptr;
  for (const auto& seat : screens.seats)
    if (seat->pointerSurface == output.surface) seat->pointerSurface = nullptr;
  DestroyEglSurface(screens.egl, output.eglSurface);
  output.eglSurface = EGL_NO_SURFACE;
  if (output.eglWindow) wl_egl_window_destroy(output.eglWindow);
  if (output.frameCallback) wl_callback_destroy(output.frameCallback);
  if (output.viewport) wp_viewport_destroy(output.viewport);
  if (output.fractionalScale) wp_fractional_scale_v1_destroy(output.fractionalScale);
  if (output.layerSurface) zwlr_layer_surface_v1_destroy(output.layerSurface);
  if (output.toplevel) xdg_toplevel_destroy(output.toplevel);
  if (output.xdgSurface) xdg_surface_destroy(output.xdgSurface);
  if (output.surface) wl_surface_destroy(output.surface);
  // Everything but the output's own description starts afresh with the next surface.
  // The lattice starts afresh too, but its storage and kernel terms serve the next showing: no
  // frame of it allocates them again.
  const OutputDescription description = output;
  LatticeCopy lattice = std::move(output.lattice);
  output = Output();
  static_cast<OutputDescription&>(output) = description;
  output.lattice = std::move(lattice);
}

void TakeGeometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                  int32_t transform) {
  // The odd transforms turn by 90 or 270 degrees.
  static_cast<Output*>(data)->turned = (transform & 1) != 0;
}

void TakeMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  auto& output = *static_cast<Output*>(data);
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  output.modeWidth = width;
  output.modeHeight = height;
}

void TakeOutputScale(void* data, wl_output*, int32_t scale) { static_cast<Output*>(data)->scale = scale; }

void FinishDescription(void* data, wl_output*) {
  auto& output = *static_cast<Output*>(data);
  output.described = true;
  // An output plugged in while the saver shows is covered at once; a surface configured before
  // the output's mode was known gets its size now.
  if (output.screens->showing && !output.surface) CreateSurface(*output.screens, output);
  if (output.configured) FollowSize(output, false);
}

template <typename Proxy>
void IgnoreOutputText(void*, Proxy*, const char*) {}

const wl_output_listener OutputListener = {TakeGeometry,    TakeMode,
                                           FinishDescription, TakeOutputScale,
                                           IgnoreOutputText<wl_output>, IgnoreOutputText<wl_output>};

// The output's place in the layout: the pointer's movements across screens are measured there.
void TakeLayoutPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
  auto& output = *static_cast<Output*>(data);
  if (x != output.layoutX || y != output.layoutY) ForgetPointerOrigin(output);
  output.layoutX = x;
  output.layoutY = y;
  output.placed = true;
}

void TakeLayoutSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
  auto& output = *static_cast<Output*>(data);
  if (width != output.layoutWidth || height != output.layoutHeight) ForgetPointerOrigin(output);
  output.layoutWidth = width;
  output.layoutHeight = height;
}

// Before version 3 the description ends here rather than with wl_output's.
void FinishLayoutDescription(void* data, zxdg_output_v1*) {
  auto& output = *static_cast<Output*>(data);
  if (output.configured) FollowSize(output, false);
}

const zxdg_output_v1_listener XdgOutputListener = {TakeLayoutPosition, TakeLayoutSize, FinishLayoutDescription,
                                                   IgnoreOutputText<zxdg_output_v1>,
                                                   IgnoreOutputText<zxdg_output_v1>};

void DescribeLayout(Screens& screens, Output& output) {
  if (!screens.xdgOutputManager || output.xdgOutput) return;
  output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(screens.xdgOutputManager, output.output);
  zxdg_output_v1_add_listener(output.xdgOutput, &XdgOutputListener, &output);
}

void AnswerPing(void*, xdg_wm_base* wmBase, uint32_t serial) { xdg_wm_base_pong(wmBase, serial); }

const xdg_wm_base_listener WmBaseListener = {AnswerPing};

template <typename Proxy>
Proxy* Bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t offered, uint32_t wanted) {
  return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

void AddGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto& screens = *static_cast<Screens*>(data);
  const auto is = [interface](const wl_interface& known) { return std::strcmp(interface, known.name) == 0; };
  if (is(wl_compositor_interface) && !screens.compositor) {
    screens.compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, version, 4);
  } else if (is(zwlr_layer_shell_v1_interface) && !screens.layerShell) {
    screens.layerShell = Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, version, 1);
  } else if (is(xdg_wm_base_interface) && !screens.wmBase) {
    screens.wmBase = Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, 1);
    xdg_wm_base_add_listener(screens.wmBase, &WmBaseListener, &screens);
  } else if (is(wp_fractional_scale_manager_v1_interface) && !screens.fractionalScaleManager) {
    screens.fractionalScaleManager = Bind<wp_fractional_scale_manager_v1>(
        registry, name, wp_fractional_scale_manager_v1_interface, version, 1);
  } else if (is(wp_viewporter_interface) && !screens.viewporter) {
    screens.viewporter = Bind<wp_viewporter>(registry, name, wp_viewporter_interface, version, 1);
  } else if (is(zxdg_output_manager_v1_interface) && !screens.xdgOutputManager) {
    screens.xdgOutputManager =
        Bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, version, 3);
    for (const auto& output : screens.outputs) DescribeLayout(screens, *output);
  } else if (is(ext_idle_notifier_v1_interface) && !screens.idleNotifier) {
    screens.idleNotifier = Bind<ext_idle_notifier_v1>(registry, name, ext_idle_notifier_v1_interface, version, 1);
  } else if (is(org_kde_kwin_idle_interface) && !screens.kdeIdle) {
    screens.kdeIdle = Bind<org_kde_kwin_idle>(registry, name, org_kde_kwin_idle_interface, version, 1);
  } else if (is(wl_seat_interface) && version >= 5) {
    AddSeat(screens, Bind<wl_seat>(registry, name, wl_seat_interface, version, 5), name);
  } else if (is(wl_output_interface) && version >= 3) {
    auto output = std::make_unique<Output>();
    output->screens = &screens;
    output->name = name;
    output->output = Bind<wl_output>(registry, name, wl_output_interface, version, 3);
    wl_output_add_listener(output->output, &OutputListener, output.get());
    DescribeLayout(screens, *output);
    screens.outputs.push_back(std::move(output));
  }
}

// The output's own objects, once its surface is gone.
void ReleaseOutput(Output& output) {
  if (output.xdgOutput) zxdg_output_v1_destroy(output.xdgOutput);
  wl_output_release(output.output);
}

// An output unplugged loses its surface; a seat gone loses its devices.
void RemoveGlobal(void* data, wl_registry*, uint32_t name) {
  auto& screens = *static_cast<Screens*>(data);
  for (auto it = screens.outputs.begin(); it != screens.outputs.end(); ++it) {
    if ((*it)->name != name) continue;
    DestroySurface(screens, **it);
    ReleaseOutput(**it);
    screens.outputs.erase(it);
    return;
  }
  for (auto it = screens.seats.begin(); it != screens.seats.end(); ++it) {
    if ((*it)->name != name) continue;
    ReleaseSeat(**it);
    screens.seats.erase(it);
    return;
  }
}

const wl_registry_listener RegistryListener = {AddGlobal, RemoveGlobal};

}  // namespace

bool StartScreens(Screens& screens, std::string& error) {
  screens.registry = wl_display_get_registry(screens.display);
  wl_registry_add_listener(screens.registry, &RegistryListener, &screens);
  // The globals, then their first events (outputs' modes and scales, seats' capabilities).
  const StopSignalsEndAtOnce whileWaiting;
  if (wl_display_roundtrip(screens.display) < 0 || wl_display_roundtrip(screens.display) < 0) {
    error = "the Wayland compositor hung up while listing what it offers";
    return false;
  }
  if (!screens.compositor) {
    error = "the Wayland compositor offers no wl_compositor";
    return false;
  }
  if (!screens.layerShell && !screens.wmBase) {
    error = "the Wayland compositor offers neither zwlr_layer_shell_v1 nor xdg_wm_base, so nothing can cover "
            "its screens";
    return false;
  }
  return true;
}

void StopScreens(Screens& screens) {
  HideSaver(screens);
  for (const auto& output : screens.outputs) ReleaseOutput(*output);
  screens.outputs.clear();
  for (const auto& seat : screens.seats) ReleaseSeat(*seat);
  screens.seats.clear();
  if (screens.kdeIdle) org_kde_kwin_idle_destroy(screens.kdeIdle);
  if (screens.idleNotifier) ext_idle_notifier_v1_destroy(screens.idleNotifier);
  if (screens.xdgOutputManager) zxdg_output_manager_v1_destroy(screens.xdgOutputManager);
  if (screens.viewporter) wp_viewporter_destroy(screens.viewporter);
  if (screens.fractionalScaleManager) wp_fractional_scale_manager_v1_destroy(screens.fractionalScaleManager);
  if (screens.wmBase) xdg_wm_base_destroy(screens.wmBase);
  if (screens.layerShell) zwlr_layer_shell_v1_destroy(screens.layerShell);
  if (screens.compositor) wl_compositor_destroy(screens.compositor);
  if (screens.registry) wl_registry_destroy(screens.registry);
  screens.compositor = nullptr;
  screens.registry = nullptr;
}

void ShowSaver(Screens& screens) {
  screens.showing = true;
  screens.appearedAt = Microseconds(CLOCK_MONOTONIC);
  screens.pointerOrigin.Forget();
  screens.userActed = false;
  for (const auto& output : screens.outputs)
    if (output->described && !output->surface) CreateSurface(screens, *output);
}

void HideSaver(Screens& screens) {
  screens.showing = false;
  for (const auto& output : screens.outputs) DestroySurface(screens, *output);
}

bool TakeClosedSurfaces(Screens& screens) {
  const auto isClosed = [](const std::unique_ptr<Output>& output) { return output->closed; };
  if (std::none_of(screens.outputs.begin(), screens.outputs.end(), isClosed)) return true;
  // A compositor closes the surface of an output it removes before it says the output is
  // gone: wait for that word before calling it the user's doing.
  {
    const StopSignalsEndAtOnce whileWaiting;
    if (wl_display_roundtrip(screens.display) < 0) return false;
  }
  if (std::any_of(screens.outputs.begin(), screens.outputs.end(), isClosed)) screens.userActed = true;
  return true;
}

const void* PointerSpace(const Screens& screens, wl_surface* surface, int32_t& x, int32_t& y) {
  for (const auto& output : screens.outputs) {
    if (output->surface != surface || !output->placed) continue;
    x += output->layoutX;
    y += output->layoutY;
    return LayoutSpace(screens);
  }
  return surface;
}

void RequestFrameCallback(Output& output) {
  output.frameCallback = wl_surface_frame(output.surface);
  wl_callback_add_listener(output.frameCallback, &FrameListener, &output);
}
