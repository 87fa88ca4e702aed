#include "host/x11/saver_window_proc.h"
#include "host/common/close_rules.h"
#include "host/linux/close_request.h"
#include "host/linux/stop_signals.h"

#include <X11/keysym.h>
#include <X11/Xutil.h>

namespace {

// The windows go from the screen at once; the loop then ends and tears down.
void closeOnInput(SaverRun* run) {
    if (!requestClose(run->settings, tickCount()))
        return;
    for (int32_t i = 0; i < run->windowCount; ++i)
        XUnmapWindow(run->windows[i].display, run->windows[i].drawable);
    run->ended = true;
}

// Focus moving to another window deactivates the saver. Focus changes that
// our own grab causes, or that stay within our window, do not.
bool isFocusLoss(const XFocusChangeEvent& focus) {
    if (focus.mode == NotifyGrab || focus.mode == NotifyUngrab)
        return false;
    return focus.detail != NotifyInferior && focus.detail != NotifyPointer;
}

void fullScreenInput(SaverRun* run, const XEvent& event) {
    if (run->settings->checkingPassword != 0)
        return;
    if (event.type == KeyPress || event.type == ButtonPress || event.type == MotionNotify)
        noteInput(tickCount()); // the idle watcher's notice asks whether the saver saw input
    switch (event.type) {
    case KeyPress:
    case ButtonPress:
        closeOnInput(run);
        break;
    case MotionNotify:
        // Root coordinates of the event: where the pointer is on the screen.
        if (movedBeyondThreshold(*run->settings, ScreenPoint{event.xmotion.x_root, event.xmotion.y_root}))
            closeOnInput(run);
        break;
    case FocusOut:
        if (isFocusLoss(event.xfocus))
            closeOnInput(run);
        break;
    default:
        break;
    }
}

void trialWindowInput(SaverRun* run, const XEvent& event) {
    if (event.type == ClientMessage &&
        static_cast<Atom>(event.xclient.data.l[0]) == run->windows[0].deleteWindow) {
        run->ended = true;
    } else if (event.type == KeyPress) {
        XKeyEvent key = event.xkey;
        const KeySym symbol = XLookupKeysym(&key, 0);
        if (symbol == XK_Escape || symbol == XK_q)
            run->ended = true;
    }
}

} // namespace

void saverWindowProc(SaverRun* run, const XEvent& event) {
    int32_t i = 0;
    while (i < run->windowCount && event.xany.window != run->windows[i].watched &&
           event.xany.window != run->windows[i].drawable)
        ++i;
    if (i == run->windowCount)
        return;
    SaverWindow& window = run->windows[i];
    if (event.type == DestroyNotify) {
        run->ended = true; // quietly: the owner has taken its window back
        return;
    }
    if (event.type == VisibilityNotify) {
        window.obscured = event.xvisibility.state == VisibilityFullyObscured;
        return;
    }
    if (event.type == ConfigureNotify && event.xconfigure.window == window.watched) {
        resizeSaverWindow(&window, event.xconfigure.width, event.xconfigure.height);
        return;
    }
    if (window.kind == WindowKind::FullScreen)
        fullScreenInput(run, event);
    else if (window.kind == WindowKind::Own)
        trialWindowInput(run, event);
}
