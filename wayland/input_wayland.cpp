#include "wayland/input_wayland.h"

#include <unistd.h>

namespace {

void TakePointerPosition(Screens& screens, wl_surface* surface, wl_fixed_t surfaceX, wl_fixed_t surfaceY) {
  int32_t x = wl_fixed_to_int(surfaceX), y = wl_fixed_to_int(surfaceY);
  const void* space = PointerSpace(screens, surface, x, y);
  if (screens.pointerOrigin.TakePosition(space, x, y)) screens.userActed = true;
}

bool IsSaverSurface(const Screens& screens, wl_surface* surface) {
  for (const auto& output : screens.outputs)
    if (output->surface && output->surface == surface) return true;
  return false;
}

void EnterPointer(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  auto& seat = *static_cast<Seat*>(data);
  // No cursor over the saver, on every entry: the compositor shows its own again in between.
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  seat.pointerSurface = surface;
  if (seat.screens->showing && IsSaverSurface(*seat.screens, surface)) TakePointerPosition(*seat.screens, surface, x, y);
}

void LeavePointer(void* data, wl_pointer*, uint32_t, wl_surface*) { static_cast<Seat*>(data)->pointerSurface = nullptr; }

void MovePointer(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto& seat = *static_cast<Seat*>(data);
  if (seat.screens->showing && seat.pointerSurface && IsSaverSurface(*seat.screens, seat.pointerSurface))
    TakePointerPosition(*seat.screens, seat.pointerSurface, x, y);
}

void PressButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<Seat*>(data)->screens->userActed = true;
}

void IgnoreAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void IgnoreFrame(void*, wl_pointer*) {}
void IgnoreAxisSource(void*, wl_pointer*, uint32_t) {}
void IgnoreAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void IgnoreAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener PointerListener = {EnterPointer,     LeavePointer,   MovePointer,
                                             PressButton,      IgnoreAxis,     IgnoreFrame,
                                             IgnoreAxisSource, IgnoreAxisStop, IgnoreAxisDiscrete,
                                             IgnoreAxisDiscrete};

// The saver reads no keys, it only notices them: the keymap is not needed.
void CloseKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
// Keys already down when the saver takes the focus are not presses meant for it.
void EnterKeyboard(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void LeaveKeyboard(void*, wl_keyboard*, uint32_t, wl_surface*) {}

void PressKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<Seat*>(data)->screens->userActed = true;
}

void IgnoreModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void IgnoreRepeat(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener KeyboardListener = {CloseKeymap, EnterKeyboard,   LeaveKeyboard,
                                               PressKey,    IgnoreModifiers, IgnoreRepeat};

void TouchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
  static_cast<Seat*>(data)->screens->userActed = true;
}

void IgnoreTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void IgnoreTouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void IgnoreTouchFrame(void*, wl_touch*) {}
void IgnoreTouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void IgnoreTouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}

// A frame and a cancel carry nothing but the touch device.
const wl_touch_listener TouchListener = {TouchDown,        IgnoreTouchUp,    IgnoreTouchMotion,     IgnoreTouchFrame,
                                         IgnoreTouchFrame, IgnoreTouchShape, IgnoreTouchOrientation};

void ReleasePointer(Seat& seat) {
  if (!seat.pointer) return;
  wl_pointer_release(seat.pointer);
  seat.pointer = nullptr;
  seat.pointerSurface = nullptr;
}

void ReleaseKeyboard(Seat& seat) {
  if (!seat.keyboard) return;
  wl_keyboard_release(seat.keyboard);
  seat.keyboard = nullptr;
}

void ReleaseTouch(Seat& seat) {
  if (!seat.touch) return;
  wl_touch_release(seat.touch);
  seat.touch = nullptr;
}

// Devices come and go with the seat's capabilities (a virtual keyboard joining, a mouse
// unplugged).
void TakeCapabilities(void* data, wl_seat* wlSeat, uint32_t capabilities) {
  auto& seat = *static_cast<Seat*>(data);
  if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !seat.pointer) {
    seat.pointer = wl_seat_get_pointer(wlSeat);
    wl_pointer_add_listener(seat.pointer, &PointerListener, &seat);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_POINTER)) {
    ReleasePointer(seat);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !seat.keyboard) {
    seat.keyboard = wl_seat_get_keyboard(wlSeat);
    wl_keyboard_add_listener(seat.keyboard, &KeyboardListener, &seat);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) {
    ReleaseKeyboard(seat);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_TOUCH) && !seat.touch) {
    seat.touch = wl_seat_get_touch(wlSeat);
    wl_touch_add_listener(seat.touch, &TouchListener, &seat);
  } else if (!(capabilities & WL_SEAT_CAPABILITY_TOUCH)) {
    ReleaseTouch(seat);
  }
}

void IgnoreSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener SeatListener = {TakeCapabilities, IgnoreSeatName};

}  // namespace

void AddSeat(Screens& screens, wl_seat* wlSeat, uint32_t name) {
  auto seat = std::make_unique<Seat>();
  seat->screens = &screens;
  seat->seat = wlSeat;
  seat->name = name;
  wl_seat_add_listener(wlSeat, &SeatListener, seat.get());
  screens.seats.push_back(std::move(seat));
}

void ReleaseSeat(Seat& seat) {
  ReleasePointer(seat);
  ReleaseKeyboard(seat);
  ReleaseTouch(seat);
  wl_seat_release(seat.seat);
}
