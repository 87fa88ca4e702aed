// The compositor's globals: binding them, following outputs and seats that
// come and go, and releasing them at the end of a run.
#pragma once
#include "host/wayland/wayland_run.h"

#include <string>

// Binds the globals the saver uses and waits until every output has described
// itself. False with one line in error when the compositor lacks
// wl_compositor or xdg_wm_base.
bool bindGlobals(WaylandRun* run, std::string* error);

// The logical size an output shows (the size a full-screen surface on it
// gets when the compositor leaves the choice to us).
void outputLogicalSize(const ScreenOutput& screen, int32_t* width, int32_t* height);

// The 1x1 transparent buffer of the layer surfaces (run->clearPixel); false
// without wl_shm or shared memory.
bool makeClearPixel(WaylandRun* run);

// Releases every output, seat and global, then the registry.
void releaseGlobals(WaylandRun* run);
