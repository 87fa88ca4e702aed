// X errors of a saver run. Xlib's default handler ends the process with
// status 1 on any error; a saver drawing into someone else's window must
// instead notice that the window has gone (xscreensaver destroys it on
// unblank, and the next swap fails) and leave quietly.
#pragma once
#include <X11/Xlib.h>

struct XErrorState {
    bool windowGone;  // BadWindow, BadDrawable or their GLX kin came back
    bool otherError;  // anything else: reported once, the run ends with status 1
    int glxErrorBase; // 0 until the GLX extension has been queried
};

extern XErrorState gXErrors;

// Installs the handlers for every display of the process. A lost connection
// (the server went away) ends the process at once with status 1 and one line.
void installXErrorHandlers(Display* display);
