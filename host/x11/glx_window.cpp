#include "host/x11/glx_window.h"
#include "host/x11/x_errors.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

namespace {

// What the Windows build draws with, read back from the pixel format its
// ChoosePixelFormat gets (on Wine and Mesa too): a double-buffered RGBA
// colour buffer of 8 bits a channel, alpha included, and no depth, stencil or
// accumulation buffer, not multisampled. The headless renderer of the
// reference pictures draws with the same. The scene turns the depth test off
// before it draws anything and never uses a stencil, so such a buffer would
// change no pixel: all it would add is its clear, every frame (on llvmpipe a
// masked pass over a 24-bit depth and 8-bit stencil buffer that keeps the
// stencil, the largest part of the X11 host's extra cost per frame when it
// drew with the root window's visual). Multisampling would change pixels.
struct GlBuffers {
    int red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0, accum = 0, samples = 0;
};

// False when the visual cannot be drawn on double-buffered in RGBA.
bool buffersOf(Display* display, XVisualInfo* info, GlBuffers* buffers) {
    int useGl = 0, rgba = 0, doubleBuffer = 0, level = 0, accumAlpha = 0;
    const bool ok = glXGetConfig(display, info, GLX_USE_GL, &useGl) == 0 && useGl &&
                    glXGetConfig(display, info, GLX_RGBA, &rgba) == 0 && rgba &&
                    glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doubleBuffer) == 0 && doubleBuffer &&
                    glXGetConfig(display, info, GLX_LEVEL, &level) == 0 && level == 0;
    if (!ok)
        return false;
    glXGetConfig(display, info, GLX_RED_SIZE, &buffers->red);
    glXGetConfig(display, info, GLX_GREEN_SIZE, &buffers->green);
    glXGetConfig(display, info, GLX_BLUE_SIZE, &buffers->blue);
    glXGetConfig(display, info, GLX_ALPHA_SIZE, &buffers->alpha);
    glXGetConfig(display, info, GLX_DEPTH_SIZE, &buffers->depth);
    glXGetConfig(display, info, GLX_STENCIL_SIZE, &buffers->stencil);
    glXGetConfig(display, info, GLX_ACCUM_RED_SIZE, &buffers->accum);
    glXGetConfig(display, info, GLX_ACCUM_ALPHA_SIZE, &accumAlpha);
    buffers->accum += accumAlpha;
    glXGetConfig(display, info, GLX_SAMPLES, &buffers->samples);
    return true;
}

// A given window's visual is drawn on directly when it has no buffer beyond
// the Windows build's and 8-bit colour channels; otherwise the saver draws
// into a child of its own.
bool drawsAsWindowsBuildDoes(Display* display, XVisualInfo* info) {
    GlBuffers b;
    return buffersOf(display, info, &b) && b.red == 8 && b.green == 8 && b.blue == 8 && b.depth == 0 &&
           b.stencil == 0 && b.accum == 0 && b.samples <= 1;
}

// The saver's own visual: 24 bits deep (a 32-bit visual would let a
// compositor show the frames' alpha as translucency), TrueColor, 8-bit
// channels; of those the one with the fewest buffers beyond the Windows
// build's, then one with alpha. None such: glXChooseVisual's reading of
// "double-buffered RGBA, 8 bits a channel".
XVisualInfo* chooseSaverVisual(Display* display, int screen) {
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.depth = 24;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* list =
        XGetVisualInfo(display, VisualScreenMask | VisualDepthMask | VisualClassMask, &wanted, &count);
    int best = -1;
    long bestCost = 0;
    for (int i = 0; i < count; ++i) {
        GlBuffers b;
        if (!buffersOf(display, &list[i], &b) || b.red != 8 || b.green != 8 || b.blue != 8)
            continue;
        const long cost =
            (((static_cast<long>(b.samples) * 64 + b.depth) * 64 + b.stencil) * 256 + b.accum) * 2 +
            (b.alpha == 8 ? 0 : 1);
        if (best < 0 || cost < bestCost) {
            best = i;
            bestCost = cost;
        }
    }
    if (best < 0) {
        if (list != nullptr)
            XFree(list);
        static int attributes[] = {
            GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
        return glXChooseVisual(display, screen, attributes);
    }
    wanted = list[best];
    XFree(list);
    return XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
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
        if (info != nullptr && drawsAsWindowsBuildDoes(display, info)) {
            window->drawable = id;
        } else {
            // The given window's visual cannot be drawn double-buffered, or
            // brings buffers the Windows build has not (the root window's
            // and xscreensaver's usually have depth and stencil): draw into
            // a child of the same size with the saver's own visual. Override-
            // redirect and lowest of its siblings, so that a child of the
            // root, which is a top-level window, is neither framed nor moved
            // by a window manager and stays beneath every other window, as
            // the root's own picture does.
            if (info != nullptr)
                XFree(info);
            info = chooseSaverVisual(display, XScreenNumberOfScreen(attributes.screen));
            if (info == nullptr) {
                *error = "no double-buffered RGBA GLX visual on this display";
                return false;
            }
            window->drawable =
                createWindow(display, info, id, ScreenArea{0, 0, window->width, window->height}, true,
                             StructureNotifyMask, &window->colormap);
            window->ownsDrawable = true;
            XLowerWindow(display, window->drawable);
            XMapWindow(display, window->drawable);
            waitUntilMapped(display, window->drawable);
        }
    } else {
        info = chooseSaverVisual(display, screen);
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
