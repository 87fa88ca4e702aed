// The saver window's event handling: the X11 counterpart of the Windows
// window procedure, with the full-screen close rules of host/common.
#pragma once
#include "host/common/saver_settings.h"
#include "host/x11/glx_window.h"

#include <X11/Xlib.h>

struct SaverRun {
    SaverWindow* windows; // one per monitor full screen, otherwise one
    int32_t windowCount;
    SaverSettings* settings;
    bool ended; // the window is gone or has been closed: leave the frame loop
};

// Handles one event for any of the run's windows. Full screen: a key, a
// button, focus loss or a pointer move beyond the threshold asks to close,
// and the close rule decides. Our
// own trial window: the close box or Escape ends it. Given windows: no input
// is looked at; their destruction ends the run.
void saverWindowProc(SaverRun* run, const XEvent& event);
