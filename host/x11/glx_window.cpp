#include "host/x11/glx_window.h"
#include "host/x11/x_errors.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The Windows pixel format asks for RGBA, double buffering and 32 colour
// bits with nothing else; 8 bits per channel is the X11 reading of that.
int kVisualAttributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                           None};

bool drawsDoubleBuffered(Display* display, XVisualInfo* info) {
    int useGl = 0, rgba = 0, doubleBuffer = 0;
    return glXGetConfig(display, info, GLX_USE_GL, &useGl) == 0 && useGl &&
           glXGetConfig(display, info, GLX_RGBA, &rgba) == 0 && rgba &&
           glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doubleBuffer) == 0 && doubleBuffer;
}

XVisualInfo* visualOf(Display* display, const XWindowAttributes& attributes) {
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    wanted.screen = XScreenNumberOfScreen(attributes.screen);
    int count = 0;
    return XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
}

Cursor makeBlankCursor(Display* display, Window window) {
    static const char bits[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(display, window, bits, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
    return cursor;
}

// A window of our own with a visual GLX can draw into double-buffered: the
// trial window, a full-screen window over one monitor, or a child filling a
// given window whose own visual will not do.
Window createWindow(Display* display, XVisualInfo* info, Window parent, const ScreenArea& area,
                    bool overrideRedirect, long eventMask, Colormap* colormap) {
    *colormap = XCreateColormap(display, parent, info->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = *colormap;
    attributes.background_pixel = BlackPixel(display, info->screen);
    attributes.border_pixel = 0;
    attributes.override_redirect = overrideRedirect ? True : False;
    attributes.event_mask = eventMask;
    return XCreateWindow(display, parent, area.x, area.y, static_cast<unsigned>(area.width),
                         static_cast<unsigned>(area.height), 0, info->depth, InputOutput, info->visual,
                         CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask,
                         &attributes);
}

void waitUntilMapped(Display* display, Window window) {
    XEvent event;
    do {
        XWindowEvent(display, window, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
}

void setNames(Display* display, Window window) {
    XStoreName(display, window, "Zellik");
    XClassHint hint{const_cast<char*>("zellik"), const_cast<char*>("Zellik")};
    XSetClassHint(display, window, &hint);
}

bool windowFromEnvironment(unsigned long* id, std::string* error) {
    const char* text = std::getenv("XSCREENSAVER_WINDOW");
    if (text == nullptr || text[0] == '\0')
        return false;
    if (!parseWindowId(text, id)) {
        *error = std::string("XSCREENSAVER_WINDOW='") + text + "' is not a window id";
        return true;
    }
    return true;
}

} // namespace

ScreenPoint pointerPosition(Display* display) {
    Window rootReturn, childReturn;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    XQueryPointer(display, DefaultRootWindow(display), &rootReturn, &childReturn, &rootX, &rootY, &x, &y,
                  &buttons);
    return ScreenPoint{rootX, rootY};
}

void grabSaverInput(SaverWindow* window) {
    Display* display = window->display;
    const Window target = window->drawable;
    XSetInputFocus(display, target, RevertToParent, CurrentTime);
    const int keyboard = XGrabKeyboard(display, target, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    const int pointer = XGrabPointer(display, target, True, ButtonPressMask | PointerMotionMask,
                                     GrabModeAsync, GrabModeAsync, None, window->blankCursor, CurrentTime);
    window->grabbed = keyboard == GrabSuccess || pointer == GrabSuccess;
}

bool openSaverWindow(Display* display, const Options& options, const ScreenArea& area, SaverWindow* window,
                     std::string* error) {
    window->display = display;
    window->kind = options.kind;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);

    int glxError = 0, glxEvent = 0;
    if (!glXQueryExtension(display, &glxError, &glxEvent)) {
        *error = "the X display has no GLX extension";
        return false;
    }

    XVisualInfo* info = nullptr;
    if (options.kind == WindowKind::Given || options.kind == WindowKind::Root) {
        unsigned long id = options.windowId;
        if (options.kind == WindowKind::Root && !windowFromEnvironment(&id, error))
            id = root;
        if (!error->empty())
            return false;
        XWindowAttributes attributes{};
        gXErrors.windowGone = false;
        if (!XGetWindowAttributes(display, id, &attributes)) {
            char text[96];
            std::snprintf(text, sizeof text, "no window 0x%lx on this display", id);
            *error = text;
            gXErrors.windowGone = false;
            return false;
        }
        window->watched = id;
        window->width = attributes.width;
        window->height = attributes.height;
        // Only structure events: on a window we do not own, other clients
        // may hold the input selections, and the owner decides when we end.
        XSelectInput(display, id, StructureNotifyMask);
        info = visualOf(display, attributes);
        if (info != nullptr && drawsDoubleBuffered(display, info)) {
            window->drawable = id;
        } else {
            // The given window's visual cannot be drawn double-buffered: draw
            // into a child of the same size that has such a visual.
            if (info != nullptr)
                XFree(info);
            info = glXChooseVisual(display, XScreenNumberOfScreen(attributes.screen), kVisualAttributes);
            if (info == nullptr) {
                *error = "no double-buffered RGBA GLX visual on this display";
                return false;
            }
            window->drawable =
                createWindow(display, info, id, ScreenArea{0, 0, window->width, window->height}, false,
                             StructureNotifyMask, &window->colormap);
            window->ownsDrawable = true;
            XMapWindow(display, window->drawable);
            waitUntilMapped(display, window->drawable);
        }
    } else {
        info = glXChooseVisual(display, screen, kVisualAttributes);
        if (info == nullptr) {
            *error = "no double-buffered RGBA GLX visual on this display";
            return false;
        }
        const bool full = options.kind == WindowKind::FullScreen;
        const ScreenArea placed = full ? area : ScreenArea{0, 0, options.width, options.height};
        window->width = placed.width;
        window->height = placed.height;
        const long events =
            VisibilityChangeMask | StructureNotifyMask |
            (full ? KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask : KeyPressMask);
        window->drawable = createWindow(display, info, root, placed, full, events, &window->colormap);
        window->watched = window->drawable;
        window->ownsDrawable = true;
        setNames(display, window->drawable);
        window->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window->drawable, &window->deleteWindow, 1);
        if (full) {
            window->blankCursor = makeBlankCursor(display, window->drawable);
            XDefineCursor(display, window->drawable, window->blankCursor);
        }
    }

    window->context = glXCreateContext(display, info, nullptr, True);
    XFree(info);
    if (window->context == nullptr) {
        *error = "cannot create a GLX context";
        closeSaverWindow(window);
        return false;
    }
    if (window->ownsDrawable && window->drawable == window->watched) {
        XMapRaised(display, window->drawable);
        waitUntilMapped(display, window->drawable);
    }
    if (!glXMakeCurrent(display, window->drawable, window->context)) {
        *error = "cannot make the GLX context current on the window";
        closeSaverWindow(window);
        return false;
    }
    // A window that vanishes from here on (its owner was quicker than our
    // start) ends the run as quietly as one that vanishes later.
    XSync(display, False);
    return true;
}

void resizeSaverWindow(SaverWindow* window, int32_t width, int32_t height) {
    if (width == window->width && height == window->height)
        return;
    window->width = width;
    window->height = height;
    if (window->ownsDrawable && window->drawable != window->watched)
        XResizeWindow(window->display, window->drawable, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    // The scene sets its projection once, for the size it was made with; a
    // new size gets the same projection at the new aspect ratio.
    glXMakeCurrent(window->display, window->drawable, window->context);
    setSceneViewport(width, height);
}

void closeSaverWindow(SaverWindow* window) {
    Display* display = window->display;
    if (window->context != nullptr) {
        glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, window->context);
        window->context = nullptr;
    }
    if (window->grabbed) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        window->grabbed = false;
    }
    if (window->ownsDrawable && !gXErrors.windowGone)
        XDestroyWindow(display, window->drawable);
    if (window->blankCursor != 0)
        XFreeCursor(display, window->blankCursor);
    if (window->colormap != 0)
        XFreeColormap(display, window->colormap);
    window->drawable = 0;
    window->blankCursor = 0;
    window->colormap = 0;
    XSync(display, False);
}
