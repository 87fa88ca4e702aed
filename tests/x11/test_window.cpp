// zellik-test-window: the X clients the saver tests need besides xdotool.
//   zellik-test-window create WxH   maps a plain window at (0, 0) with the
//                                   screen's default visual, prints its id
//                                   and stays until killed, which destroys it
//   zellik-test-window create-single WxH   the same with a visual that GLX
//                                   draws only single-buffered
//   zellik-test-window close ID     sends WM_DELETE_WINDOW, as a close box does
//   zellik-test-window cursor -     prints "hidden" when the pointer's current
//                                   cursor image has no visible pixel, else "visible"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A TrueColor visual with GLX but without double buffering, or null.
Visual* singleBufferedVisual(Display* display, int screen, int* depth) {
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* all = XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
    Visual* found = nullptr;
    for (int i = 0; i < count && found == nullptr; ++i) {
        int gl = 0, doubleBuffer = 1;
        glXGetConfig(display, &all[i], GLX_USE_GL, &gl);
        glXGetConfig(display, &all[i], GLX_DOUBLEBUFFER, &doubleBuffer);
        if (gl && !doubleBuffer) {
            found = all[i].visual;
            *depth = all[i].depth;
        }
    }
    XFree(all);
    return found;
}

int create(Display* display, const char* size, bool singleBuffered) {
    unsigned width = 0, height = 0;
    if (std::sscanf(size, "%ux%u", &width, &height) != 2 || width == 0 || height == 0)
        return 2;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    Visual* visual = CopyFromParent;
    int depth = CopyFromParent;
    unsigned long mask = CWBackPixel | CWEventMask | CWOverrideRedirect;
    if (singleBuffered) {
        visual = singleBufferedVisual(display, screen, &depth);
        if (visual == nullptr)
            return 3;
        attributes.colormap = XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
        mask |= CWColormap | CWBorderPixel;
    }
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask;
    // Override-redirect keeps a window manager from moving it, so the test
    // knows where its pixels are.
    attributes.override_redirect = True;
    const Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, depth,
                                        InputOutput, visual, mask, &attributes);
    XStoreName(display, window, "zellik-test-window");
    XMapWindow(display, window);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    std::printf("%lu\n", window);
    std::fflush(stdout);
    for (;;)
        XNextEvent(display, &event);
}

int closeWindow(Display* display, const char* id) {
    const Window window = std::strtoul(id, nullptr, 0);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

int cursor(Display* display) {
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr)
        return 1;
    bool visible = false;
    for (unsigned long i = 0; i < static_cast<unsigned long>(image->width) * image->height; ++i)
        visible = visible || (image->pixels[i] >> 24) != 0; // the alpha byte of ARGB
    XFree(image);
    std::puts(visible ? "visible" : "hidden");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 1;
    if (std::strcmp(argv[1], "create") == 0)
        return create(display, argv[2], false);
    if (std::strcmp(argv[1], "create-single") == 0)
        return create(display, argv[2], true);
    if (std::strcmp(argv[1], "cursor") == 0)
        return cursor(display);
    if (std::strcmp(argv[1], "close") == 0)
        return closeWindow(display, argv[2]);
    return 2;
}
