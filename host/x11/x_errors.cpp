#include "host/x11/x_errors.h"

#include <GL/glx.h>

#include <cstdio>
#include <unistd.h>

XErrorState gXErrors = {false, false, 0};

namespace {

// GLX error numbers, counted from the extension's error base (GLX protocol).
constexpr int kGlxBadDrawable = 2;
constexpr int kGlxBadCurrentWindow = 5;
constexpr int kGlxBadCurrentDrawable = 11;
constexpr int kGlxBadWindow = 12;

bool isMissingDrawable(const XErrorEvent& error) {
    if (error.error_code == BadWindow || error.error_code == BadDrawable)
        return true;
    if (gXErrors.glxErrorBase == 0)
        return false;
    const int glx = error.error_code - gXErrors.glxErrorBase;
    return glx == kGlxBadDrawable || glx == kGlxBadCurrentWindow || glx == kGlxBadCurrentDrawable ||
           glx == kGlxBadWindow;
}

int onXError(Display* display, XErrorEvent* error) {
    // Once the window is gone, what follows (a graphics context of the GL
    // driver that could not be made for it, say) is its fallout, not news.
    if (isMissingDrawable(*error) || gXErrors.windowGone) {
        gXErrors.windowGone = true;
        return 0;
    }
    if (!gXErrors.otherError) {
        char text[256];
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "zellik: X error: %s (request %d.%d)\n", text, error->request_code,
                     error->minor_code);
    }
    gXErrors.otherError = true;
    return 0;
}

int onXIOError(Display*) {
    // Xlib may not return from here; _exit skips the GL driver's exit
    // handlers, which would talk to the server that is gone.
    static const char message[] = "zellik: lost the connection to the X display\n";
    (void)!write(2, message, sizeof message - 1);
    _exit(1);
}

} // namespace

void installXErrorHandlers(Display* display) {
    XSetErrorHandler(onXError);
    XSetIOErrorHandler(onXIOError);
    int errorBase = 0, eventBase = 0;
    if (glXQueryExtension(display, &errorBase, &eventBase))
        gXErrors.glxErrorBase = errorBase;
}
