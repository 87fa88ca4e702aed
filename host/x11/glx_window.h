// A saver window and its OpenGL context on X11 with GLX: a window of its own,
// a full-screen override-redirect window over one monitor, or an existing
// window someone else made (xscreensaver's, the root window, --window-id).
#pragma once
#include "host/common/saver_settings.h"
#include "host/linux/options.h"
#include "host/common/monitor_layout.h"

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <cstdint>
#include <string>

struct SaverWindow {
    Display* display = nullptr;
    WindowKind kind = WindowKind::Own;
    Window drawable = 0; // where frames go: our window, the given one, or our child in it
    Window watched = 0;  // the window whose destruction or resizing we follow
    bool ownsDrawable = false;
    Colormap colormap = 0;
    Cursor blankCursor = 0;
    bool grabbed = false;
    GLXContext context = nullptr;
    int32_t width = 0, height = 0;
    bool obscured = false; // VisibilityFullyObscured: nothing of the window can be seen
    Atom deleteWindow = 0; // WM_DELETE_WINDOW, for the close box of our own window
};

// Opens the window the options ask for (full screen: over area) and makes a
// double-buffered RGBA context of its own current on it. On failure error
// holds one line and whatever was made is released.
bool openSaverWindow(Display* display, const Options& options, const ScreenArea& area, SaverWindow* window,
                     std::string* error);

// Full screen takes the keyboard and the pointer into this window, so that
// every key and button reaches the close rules and the cursor stays hidden
// wherever it is. A grab can fail while another program holds one; the saver
// then still runs and closes on what it does receive.
void grabSaverInput(SaverWindow* window);

// Follows a new size of the watched window: our child window, the viewport
// and the projection (the window's context is made current).
void resizeSaverWindow(SaverWindow* window, int32_t width, int32_t height);

// Releases the context and whatever the run created, in reverse order. The
// scene must be gone already.
void closeSaverWindow(SaverWindow* window);

// The pointer position in root coordinates (GetCursorPos's counterpart).
ScreenPoint pointerPosition(Display* display);
