// zellik-test-window create|create-single WxH: maps a window (single-buffered for GL) at (0, 0), prints
// its id, stays until killed; close ID sends WM_DELETE_WINDOW, as a close box does; cursor - prints
// "hidden" when the pointer's cursor image has no visible pixel, else "visible"; buffers ID prints the
// GL buffers of the window a picture in ID is drawn into (ID, or its lowest child, where the saver puts its own).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

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

int buffers(Display* display, const char* id) {
    Window window = std::strtoul(id, nullptr, 0), root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && count > 0)
        window = children[0];
    if (children != nullptr)
        XFree(children);
    XWindowAttributes attributes{};
    XVisualInfo wanted{};
    int found = 0;
    if (!XGetWindowAttributes(display, window, &attributes))
        return 1;
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    XVisualInfo* info = XGetVisualInfo(display, VisualIDMask, &wanted, &found);
    if (info == nullptr)
        return 1;
    const std::pair<const char*, int> names[] = {
        {"double", GLX_DOUBLEBUFFER},  {"red", GLX_RED_SIZE},         {"green", GLX_GREEN_SIZE},
        {"blue", GLX_BLUE_SIZE},       {"alpha", GLX_ALPHA_SIZE},     {"depth", GLX_DEPTH_SIZE},
        {"stencil", GLX_STENCIL_SIZE}, {"accum", GLX_ACCUM_RED_SIZE}, {"samples", GLX_SAMPLES}};
    std::printf("visual-depth=%d", info->depth);
    for (const auto& [name, attribute] : names) {
        int value = 0;
        glXGetConfig(display, info, attribute, &value);
        std::printf(" %s=%d", name, value);
    }
    std::printf("\n");
    XFree(info);
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
    if (command == "buffers")
        return buffers(display, argv[2]);
    return command == "close" ? closeWindow(display, argv[2]) : 2;
}
