// The seats' pointers, keyboards and touch screens, each a way for the user to end the saver:
// a key, a button, a touch, or a pointer movement of more than 30 pixels from where it first
// stood over one of the saver's surfaces. The pointer is hidden over them.
#pragma once

#include "wayland/screens_wayland.h"

void AddSeat(Screens& screens, wl_seat* seat, uint32_t name);
void ReleaseSeat(Seat& seat);
