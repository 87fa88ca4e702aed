// zellik-test-window create|create-single WxH: maps a window (single-buffered for GL) at (0, 0), prints
// its id, stays until killed; close ID sends WM_DELETE_WINDOW, as a close box does; cursor - prints
// "hidden" when the pointer's cursor image has no visible pixel, else "visible".
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int create(Display* display, const char* size, bool singleBuffered) {
    unsigned width = 0, height = 0;
    if (std::sscanf(size, "%ux%u", &width, &height) != 2 || width == 0 || height == 0)
        return 2;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    Visual* visual = CopyFromParent;
    int depth = CopyFromParent;
    // Override-redirect: no window manager moves it, so its pixels stay where the test looks.
    unsigned long mask = CWBackPixel | CWOverrideRedirect;
    if (singleBuffered) {
        int wanted[] = {GLX_RGBA, None}; // without GLX_DOUBLEBUFFER only single-buffered visuals match
        XVisualInfo* info = glXChooseVisual(display, screen, wanted);
        if (info == nullptr)
            return 3;
        visual = info->visual;
        depth = info->depth;
        attributes.colormap = XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
        mask |= CWColormap | CWBorderPixel;
    }
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = True;
    const Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, depth,
                                        InputOutput, visual, mask, &attributes);
    XMapWindow(display, window);
    XSync(display, False); // an override-redirect window is mapped once the server has the request
    std::printf("%lu\n", window);
    std::fflush(stdout);
    for (XEvent event;;)
        XNextEvent(display, &event);
}

int closeWindow(Display* display, const char* id) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(id, nullptr, 0);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
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
    Display* display = argc == 3 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr)
        return argc == 3 ? 1 : 2;
    const std::string command = argv[1];
    if (command == "create" || command == "create-single")
        return create(display, argv[2], command == "create-single");
    if (command == "cursor")
        return cursor(display);
    return command == "close" ? closeWindow(display, argv[2]) : 2;
}
