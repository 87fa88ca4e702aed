// The input of a Wayland saver run, seat by seat. Full screen: a key, a
// button or a touch asks to close, so does a pointer move beyond "Mouse
// Threshold" on one axis from where the pointer first entered one of the
// saver's surfaces (in the compositor's coordinates, across outputs), and so
// does losing the keyboard after having had it; the cursor is hidden over the
// saver's surfaces. The window of its own: Escape or q ends it.
#pragma once
#include "host/wayland/wayland_run.h"

SaverSeat* bindSeat(WaylandRun* run, uint32_t name, uint32_t version);
void releaseSeat(SaverSeat* seat);

// Seats stop referring to a surface that is about to be destroyed.
void forgetSurface(WaylandRun* run, SaverSurface* surface);

// Runs once all pending events have been handled: full screen, the keyboard
// having left every surface of the saver after one had it asks to close.
// (Moving between two of the saver's surfaces is a leave and an enter that
// come together.)
void checkKeyboardFocus(WaylandRun* run);

// The close rule for an input that asks to close, applied at once.
void closeOnInput(WaylandRun* run);
