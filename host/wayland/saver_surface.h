// A saver surface on Wayland: an xdg toplevel, full screen on one output or a
// window of its own, drawn with an EGL context and a scene of its own.
#pragma once
#include "host/wayland/wayland_run.h"

// Creates the surface and its role and commits it without a buffer; the
// compositor answers with a configure, and layOutSurface follows that.
// screen null: the window of its own, of the options' --geometry size.
SaverSurface* createSaverSurface(WaylandRun* run, ScreenOutput* screen);

// After a configure or a change of scale: the buffer size for the surface,
// then, the first time, its EGL window, context and scene, otherwise the new
// size for them. False with one line on stderr when a step fails.
bool layOutSurface(SaverSurface* surface);

// One frame: renderFrame, then eglSwapBuffers, which commits the surface
// with a frame callback; frameWanted stays false until that comes. Swap
// interval 0: the swap never waits for the compositor, so a hidden or
// covered surface cannot hold up the loop. False when the swap failed.
bool drawSurface(SaverSurface* surface, uint32_t renderFlags);

// The scene (in its own context), the context, the EGL surface and window,
// the role and the surface, in that order.
void destroySaverSurface(SaverSurface* surface);
