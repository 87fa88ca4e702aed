// The saver's window and its OpenGL context on X11 with GLX: a window of its
// own, a full-screen override-redirect window, or an existing window someone
// else made (xscreensaver's, the root window, --window-id).
#pragma once
#include "host/common/saver_settings.h"
#include "host/x11/options.h"

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
    Atom deleteWindow = 0; // WM_DELETE_WINDOW, for the close box of our own window
};

// Opens the window the options ask for and makes a double-buffered RGBA
// context current on it. Records the window, the start cursor and the start
// tick in settings, as window creation does on Windows. On failure error holds
// one line and whatever was made is released.
bool openSaverWindow(Display* display, const Options& options, SaverSettings* settings, SaverWindow* window,
                     std::string* error);

// Follows a new size of the watched window: our child window, the viewport
// and the projection.
void resizeSaverWindow(SaverWindow* window, int32_t width, int32_t height);

// Releases the context and whatever the run created, in reverse order. The
// scene must be gone already.
void closeSaverWindow(SaverWindow* window);

// The pointer position in root coordinates (GetCursorPos's counterpart).
ScreenPoint pointerPosition(Display* display);

// Milliseconds of a monotonic clock, wrapping at 32 bits like the tick count.
uint32_t tickCount();
