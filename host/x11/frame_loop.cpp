// The Linux saver on X11, with Xlib and GLX.
//
// What this host does:
//  [x] zellik                      a window of its own (--geometry WxH, default 1280x720)
//  [x] -s, --fullscreen            a window over each RandR monitor, each with a whole kaleidoscope;
//                                  closes on a key, a button, focus loss or a pointer move beyond
//                                  "Mouse Threshold" on one axis; cursor hidden
//  [x] -p, --window-id ID          draws into an existing window; no input closes it
//  [x] --root                      $XSCREENSAVER_WINDOW, else the root window (xscreensaver's way)
//  [x] frame loop                  all pending events, one renderFrame per window, glXSwapBuffers,
//                                  then the shortest sleepInterval of the scenes
//  [x] SIGTERM, SIGINT             end the run cleanly with status 0, contexts released
//  [x] window destroyed by owner   ends quietly with status 0 (X error handler, DestroyNotify)
//  [ ] monitors added or removed   not followed while running; the next run sees them
#include "host/x11/frame_loop.h"
#include "host/common/close_rules.h"
#include "host/linux/stop_signals.h"
#include "host/x11/glx_window.h"
#include "host/x11/saver_window_proc.h"
#include "host/x11/x_errors.h"
#include "platform/counter.h"
#include "scene/kaleidoscope_scene.h"
#include "tools/render/frame_trace.h"

#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

bool stopping(const SaverRun& run) {
    return run.ended || stopSignalled() || gXErrors.windowGone || gXErrors.otherError;
}

// Every pending event, so that input closes the saver before another frame.
void handlePendingEvents(Display* display, SaverRun* run) {
    while (!stopping(*run) && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        saverWindowProc(run, event);
    }
}

// The pause after a frame. It watches the X connection: the pacing may ask
// for up to a second, and a close, a destroyed window or a stop signal is
// handled at once rather than after it. No frame is drawn early, so the
// frames keep the pace the scene sets.
void sleepWatchingEvents(Display* display, SaverRun* run, int32_t milliseconds) {
    const uint32_t start = tickCount();
    for (;;) {
        handlePendingEvents(display, run);
        const uint32_t elapsed = tickCount() - start;
        if (stopping(*run) || milliseconds <= 0 || elapsed >= static_cast<uint32_t>(milliseconds))
            return;
        waitForInput(ConnectionNumber(display), milliseconds - static_cast<int32_t>(elapsed));
    }
}

// The monitors of the default screen (RandR 1.5); none when the server
// cannot tell, and the whole screen then serves as one.
std::vector<ScreenArea> monitorAreas(Display* display) {
    const int screen = DefaultScreen(display);
    std::vector<ScreenArea> monitors;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        XRRMonitorInfo* list = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
        for (int i = 0; list != nullptr && i < count; ++i)
            monitors.push_back(ScreenArea{list[i].x, list[i].y, list[i].width, list[i].height});
        if (list != nullptr)
            XRRFreeMonitors(list);
    }
    return saverScreenAreas(monitors, DisplayWidth(display, screen), DisplayHeight(display, screen));
}

void closeWindows(std::vector<SaverWindow>* windows, size_t count) {
    for (size_t i = 0; i < count; ++i)
        closeSaverWindow(&(*windows)[i]);
}

} // namespace

int runSaverWindow(const Options& options, SaverSettings* settings) {
    catchStopSignals();
    const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
    Display* display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (display == nullptr) {
        if (name == nullptr || name[0] == '\0')
            std::fprintf(stderr, "zellik: no X display (DISPLAY is not set)\n");
        else
            std::fprintf(stderr, "zellik: cannot open X display '%s'\n", name);
        return 1;
    }
    installXErrorHandlers(display);

    // Full screen: a window per monitor, each with a context and a scene of
    // its own, so that each scene keeps the viewport and projection it set
    // up for its monitor. Otherwise one window.
    const std::vector<ScreenArea> areas =
        options.kind == WindowKind::FullScreen ? monitorAreas(display) : std::vector<ScreenArea>(1);
    std::vector<SaverWindow> windows(areas.size());
    std::vector<KaleidoscopeScene*> scenes(areas.size(), nullptr);
    std::string error;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (!openSaverWindow(display, options, areas[i], &windows[i], &error)) {
            std::fprintf(stderr, "zellik: %s\n", error.c_str());
            closeWindows(&windows, i); // a window that failed has released itself
            XCloseDisplay(display);
            return 1;
        }
    }
    // Window creation: the reference point of the mouse threshold and of the
    // password delay.
    settings->window = windows.data();
    settings->startCursor = pointerPosition(display);
    settings->startTick = tickCount();
    if (options.kind == WindowKind::FullScreen)
        grabSaverInput(&windows[0]);

    SaverRun run{windows.data(), static_cast<int32_t>(windows.size()), settings, false};
    // The loop never draws without a scene: when one cannot be made there is
    // nothing to show, and the run ends as a set-up failure.
    const uint32_t seed = seedFromCalendarTime();
    bool made = true;
    for (size_t i = 0; i < windows.size() && made; ++i) {
        glXMakeCurrent(display, windows[i].drawable, windows[i].context);
        scenes[i] =
            new (std::nothrow) KaleidoscopeScene(windows[i].width, windows[i].height, seed, systemCounter());
        made = scenes[i] != nullptr;
    }

    std::string trace(options.trace ? 4096 : 0, '\0');
    int64_t frame = 0;
    const bool switching = windows.size() > 1;
    if (!made)
        std::fprintf(stderr, "zellik: out of memory for the scene\n");
    stopSignalsToLoop();
    while (made && !stopping(run)) {
        handlePendingEvents(display, &run);
        if (stopping(run))
            break;
        // Read afresh every frame, as the Windows loop does. The shortest
        // pause any scene asks for paces them all.
        int32_t pause = 1000;
        for (size_t i = 0; i < windows.size(); ++i) {
            if (switching)
                glXMakeCurrent(display, windows[i].drawable, windows[i].context);
            if (scenes[i]->renderFrame(renderFlagsFor(*settings)))
                glXSwapBuffers(display, windows[i].drawable);
            if (scenes[i]->sleepInterval() < pause)
                pause = scenes[i]->sleepInterval();
        }
        if (options.trace) {
            formatFrameTrace(*scenes[0], ++frame, &trace[0], trace.size());
            std::puts(trace.c_str());
            std::fflush(stdout);
        }
        sleepWatchingEvents(display, &run, pause);
    }

    // A scene's textures belong to its context: free them while it is current.
    for (size_t i = 0; i < windows.size(); ++i) {
        if (scenes[i] == nullptr)
            continue;
        glXMakeCurrent(display, windows[i].drawable, windows[i].context);
        delete scenes[i];
    }
    const bool failed = gXErrors.otherError || !made;
    closeWindows(&windows, windows.size());
    settings->window = nullptr;
    XCloseDisplay(display);
    return failed ? 1 : 0;
}
