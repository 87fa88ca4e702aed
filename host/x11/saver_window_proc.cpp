#include "host/x11/saver_window_proc.h"
#include "host/common/close_rules.h"

#include <X11/keysym.h>
#include <X11/Xutil.h>

namespace {

// This system has no screen-saver password library. Where the library is
// missing, the saver closes without asking, so verification always passes.
bool verifyPassword() {
    return true;
}

void destroySaverWindow(SaverRun* run) {
    XUnmapWindow(run->window->display, run->window->drawable);
    run->ended = true;
}

// The close rule, run at once where Windows posts WM_CLOSE to itself: no
// other message can come between, since this thread handles both.
void requestClose(SaverRun* run) {
    SaverSettings& settings = *run->settings;
    settings.closeRequested = 1;
    switch (decideClose(settings, tickCount())) {
    case CloseAction::Ignore:
        break;
    case CloseAction::Destroy:
        destroySaverWindow(run);
        break;
    case CloseAction::CheckPassword: {
        settings.checkingPassword = 1;
        const bool accepted = verifyPassword();
        settings.checkingPassword = 0;
        settings.startCursor = pointerPosition(run->window->display);
        if (accepted)
            destroySaverWindow(run);
        break;
    }
    }
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
    switch (event.type) {
    case KeyPress:
    case ButtonPress:
        requestClose(run);
        break;
    case MotionNotify:
        // Root coordinates of the event: where the pointer is on the screen.
        if (movedBeyondThreshold(*run->settings, ScreenPoint{event.xmotion.x_root, event.xmotion.y_root}))
            requestClose(run);
        break;
    case FocusOut:
        if (isFocusLoss(event.xfocus))
            requestClose(run);
        break;
    default:
        break;
    }
}

void trialWindowInput(SaverRun* run, const XEvent& event) {
    if (event.type == ClientMessage &&
        static_cast<Atom>(event.xclient.data.l[0]) == run->window->deleteWindow) {
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
    SaverWindow& window = *run->window;
    if (event.xany.window != window.watched && event.xany.window != window.drawable)
        return;
    if (event.type == DestroyNotify) {
        run->ended = true; // quietly: the owner has taken its window back
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
