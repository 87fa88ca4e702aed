// The Linux saver on X11, with Xlib and GLX.
//
// What this host does:
//  [x] zellik                      a window of its own (--geometry WxH, default 1280x720)
//  [x] -s, --fullscreen            a window over each RandR monitor, each with a whole kaleidoscope;
//                                  closes on a key, a button, focus loss or a pointer move beyond
//                                  "Mouse Threshold" on one axis; cursor hidden
//  [x] monitors added or removed   full screen: a new monitor gets its window, a removed one takes
//                                  only its own (RandR's screen, CRTC and output notifications);
//                                  smaller areas stacked over larger ones; the pointer the server
//                                  moves off a monitor that went is no input. The start is the
//                                  same path, from no window at all
//  [x] -p, --window-id ID          draws into an existing window; no input closes it
//  [x] --root                      $XSCREENSAVER_WINDOW, else the root window (xscreensaver's way)
//  [x] frame loop                  all pending events, one renderFrame per window, glXSwapBuffers,
//                                  then the shortest sleepInterval of the scenes
//  [x] nobody can see it           own and full-screen windows skip their frames while DPMS has the
//                                  monitor powered down or the window is fully obscured
//  [x] SIGTERM, SIGINT             end the run cleanly with status 0, contexts released
//  [x] SIGUSR1                     the idle watcher's notice of input in the session: ends the run
//                                  with 0 unless this saver saw input of its own near it (a lock
//                                  screen above it took the input); a move within the threshold stays
//  [x] SIGSTOP, SIGCONT            a pause (MATE's saver makes them): the picture carries on where it
//                                  stood; input that came meanwhile is read then
//  [x] window destroyed by owner   ends quietly with status 0 (X error handler, DestroyNotify)
#include "host/x11/frame_loop.h"
#include "host/common/close_rules.h"
#include "host/common/run_seed.h"
#include "host/linux/stop_signals.h"
#include "host/x11/glx_window.h"
#include "host/x11/saver_window_proc.h"
#include "host/x11/x_errors.h"
#include "platform/counter.h"
#include "scene/kaleidoscope_scene.h"
#include "scene/frame_trace.h"

#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// The run's windows, each with its scene and the area it covers (full screen:
// a monitor's).
struct SaverScreens {
    std::vector<ScreenArea> areas;
    std::vector<SaverWindow> windows;
    std::vector<KaleidoscopeScene*> scenes;
    int randrEventBase = -1; // full screen with RandR: its events tell of monitor changes
    bool monitorsChanged = false;
    bool dpmsCapable = false; // the server has DPMS and can power its monitors down
};

// DPMS has no event for a change of power level: it is read every round,
// one round trip, so that a monitor coming back is drawn on at once.
void readMonitorPower(Display* display, const SaverScreens& screens, bool* enabled, int* level) {
    CARD16 power = DPMSModeOn;
    BOOL on = False;
    *enabled = screens.dpmsCapable && DPMSInfo(display, &power, &on) && on;
    *level = power;
}

bool stopping(const SaverRun& run) {
    return run.ended || stopSignalled() || gXErrors.windowGone || gXErrors.otherError || inputWentElsewhere();
}

bool isMonitorChange(int randrEventBase, const XEvent& event) {
    return randrEventBase >= 0 &&
           (event.type == randrEventBase + RRScreenChangeNotify || event.type == randrEventBase + RRNotify);
}

struct QueueLook {
    int randrEventBase;
    bool monitorChange;
};

// Looks at every queued event and takes none.
Bool lookForMonitorChange(Display*, XEvent* event, XPointer argument) {
    auto* look = reinterpret_cast<QueueLook*>(argument);
    look->monitorChange = look->monitorChange || isMonitorChange(look->randrEventBase, *event);
    return False;
}

bool monitorChangeQueued(Display* display, int randrEventBase) {
    QueueLook look{randrEventBase, false};
    XEvent unused;
    XCheckIfEvent(display, &unused, lookForMonitorChange, reinterpret_cast<XPointer>(&look));
    return look.monitorChange;
}

// Every pending event, so that input closes the saver before another frame.
// A monitor that goes takes the pointer with it: the server moves it onto
// another monitor, and that motion may be queued before the RandR events
// that tell why. So once the queue holds a monitor change, pointer motion is
// not the user's until the monitors have been followed and the start point
// taken anew.
void handlePendingEvents(Display* display, SaverRun* run, SaverScreens* screens) {
    while (!stopping(*run) && XPending(display) > 0) {
        if (!screens->monitorsChanged && screens->randrEventBase >= 0)
            screens->monitorsChanged = monitorChangeQueued(display, screens->randrEventBase);
        XEvent event;
        XNextEvent(display, &event);
        if (isMonitorChange(screens->randrEventBase, event)) {
            XRRUpdateConfiguration(&event); // the screen's size as Xlib reports it
            screens->monitorsChanged = true;
        } else if (!(screens->monitorsChanged && event.type == MotionNotify)) {
            saverWindowProc(run, event);
        }
    }
}

// The pause after a frame. It watches the X connection: the pacing may ask
// for up to a second, and a close, a destroyed window or a stop signal is
// handled at once rather than after it. No frame is drawn early, so the
// frames keep the pace the scene sets.
void sleepWatchingEvents(Display* display, SaverRun* run, SaverScreens* screens, int32_t milliseconds) {
    const uint32_t start = tickCount();
    for (;;) {
        handlePendingEvents(display, run, screens);
        const uint32_t elapsed = tickCount() - start;
        if (stopping(*run) || screens->monitorsChanged || milliseconds <= 0 ||
            elapsed >= static_cast<uint32_t>(milliseconds))
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
    return saverScreenAreas(monitors,
                            ScreenArea{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
}

void watchMonitors(Display* display, SaverScreens* screens) {
    int errorBase = 0;
    if (!XRRQueryExtension(display, &screens->randrEventBase, &errorBase)) {
        screens->randrEventBase = -1;
        return;
    }
    XRRSelectInput(display, DefaultRootWindow(display),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
}

// A window's scene is made with its context current. False (and said) when
// there is no memory for it.
bool makeScene(Display* display, SaverScreens* screens, size_t i, uint32_t seed) {
    const SaverWindow& window = screens->windows[i];
    glXMakeCurrent(display, window.drawable, window.context);
    screens->scenes[i] =
        new (std::nothrow) KaleidoscopeScene(window.width, window.height, seed, systemCounter());
    if (screens->scenes[i] == nullptr)
        std::fprintf(stderr, "zellik: out of memory for the scene\n");
    return screens->scenes[i] != nullptr;
}

// A scene's textures belong to its context: it goes while that is current.
void closeScreen(Display* display, SaverScreens* screens, size_t i) {
    SaverWindow& window = screens->windows[i];
    if (screens->scenes[i] != nullptr) {
        glXMakeCurrent(display, window.drawable, window.context);
        delete screens->scenes[i];
    }
    closeSaverWindow(&window);
    const auto at = static_cast<std::ptrdiff_t>(i);
    screens->areas.erase(screens->areas.begin() + at);
    screens->windows.erase(screens->windows.begin() + at);
    screens->scenes.erase(screens->scenes.begin() + at);
}

bool sameArea(const ScreenArea& a, const ScreenArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool covers(const std::vector<ScreenArea>& areas, const ScreenArea& area) {
    return std::any_of(areas.begin(), areas.end(),
                       [&area](const ScreenArea& a) { return sameArea(a, area); });
}

// Smaller areas over larger ones (a clone at a lower mode, a small monitor
// at a large one's origin), whichever window was made first: a new window
// is mapped on top of all the others.
void restack(Display* display, const std::vector<ScreenArea>& now, const SaverScreens& screens) {
    std::vector<Window> topFirst;
    for (auto area = now.rbegin(); area != now.rend(); ++area) {
        for (size_t i = 0; i < screens.areas.size(); ++i) {
            if (sameArea(screens.areas[i], *area))
                topFirst.push_back(screens.windows[i].drawable);
        }
    }
    XRestackWindows(display, topFirst.data(), static_cast<int>(topFirst.size()));
}

// At the start and after RandR told of a change: the window of each area no
// monitor has any more closes, each new area gets a window and a scene, and
// the others draw on. Full screen, the windows are stacked by area and the
// input grab moves to the first window should its window have gone; the
// pointer's moves so far are the server's (a monitor that went took the
// pointer with it), so the mouse threshold counts from where it is now.
// False (and said) when a new window or scene cannot be made.
bool followMonitors(Display* display, const Options& options, uint32_t seed, SaverSettings* settings,
                    SaverScreens* screens) {
    screens->monitorsChanged = false;
    const bool fullScreen = options.kind == WindowKind::FullScreen;
    // Not full screen: one window, of the options' size or the given one's.
    const std::vector<ScreenArea> now = fullScreen ? monitorAreas(display) : std::vector<ScreenArea>(1);
    for (size_t i = screens->areas.size(); i-- > 0;) {
        if (!covers(now, screens->areas[i]))
            closeScreen(display, screens, i);
    }
    std::string error;
    for (const ScreenArea& area : now) {
        if (covers(screens->areas, area))
            continue;
        screens->areas.push_back(area);
        screens->windows.emplace_back();
        screens->scenes.push_back(nullptr);
        if (!openSaverWindow(display, options, area, &screens->windows.back(), &error)) {
            std::fprintf(stderr, "zellik: %s\n", error.c_str());
            screens->areas.pop_back(); // a window that failed has released itself
            screens->windows.pop_back();
            screens->scenes.pop_back();
            return false;
        }
        if (!makeScene(display, screens, screens->windows.size() - 1, seed))
            return false;
    }
    if (screens->windows.empty())
        return false;
    settings->window = screens->windows.data();
    if (fullScreen) {
        restack(display, now, *screens);
        if (std::none_of(screens->windows.begin(), screens->windows.end(),
                         [](const SaverWindow& window) { return window.grabbed; }))
            grabSaverInput(&screens->windows[0]);
        // Whatever the server did with the pointer up to now is in the queue
        // once this round trip is over.
        XSync(display, False);
        XEvent motion;
        while (XCheckTypedEvent(display, MotionNotify, &motion)) {
        }
    }
    settings->startCursor = pointerPosition(display);
    // A single window is drawn without switching contexts: its own is current.
    glXMakeCurrent(display, screens->windows[0].drawable, screens->windows[0].context);
    return true;
}

} // namespace

int runSaverWindow(const Options& options, SaverSettings* settings) {
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
    // up for its monitor. Otherwise one window. The run starts with none and
    // follows the monitors once, as it does whenever they change; RandR is
    // watched first, so that a change during the start is not missed. The
    // loop never draws without a scene: when one cannot be made there is
    // nothing to show, and the run ends as a set-up failure.
    SaverScreens screens;
    if (options.kind == WindowKind::FullScreen)
        watchMonitors(display, &screens);
    const uint32_t seed = runSeed(std::getenv(kFixedSeedVariable), seedFromCalendarTime());
    bool made = followMonitors(display, options, seed, settings, &screens);
    // The windows' making: the reference point of the password delay.
    settings->startTick = tickCount();

    int dpmsEvent = 0, dpmsError = 0;
    screens.dpmsCapable = options.kind != WindowKind::Given && options.kind != WindowKind::Root &&
                          DPMSQueryExtension(display, &dpmsEvent, &dpmsError) && DPMSCapable(display);

    SaverRun run{};
    run.settings = settings;
    std::string trace(options.trace ? 4096 : 0, '\0');
    int64_t frame = 0;
    stopSignalsToLoop();
    while (made && !stopping(run)) {
        run.windows = screens.windows.data();
        run.windowCount = static_cast<int32_t>(screens.windows.size());
        handlePendingEvents(display, &run, &screens);
        if (screens.monitorsChanged) {
            made = followMonitors(display, options, seed, settings, &screens);
            continue;
        }
        if (stopping(run))
            break;
        // Read afresh every frame, as the Windows loop does. The shortest
        // pause any scene asks for paces them all, drawn or not: a window
        // nobody can see skips its frames, none is drawn late.
        int32_t pause = 1000;
        bool dpmsEnabled = false;
        int powerLevel = DPMSModeOn;
        readMonitorPower(display, screens, &dpmsEnabled, &powerLevel);
        bool firstDrawn = false;
        for (size_t i = 0; i < screens.windows.size(); ++i) {
            const SaverWindow& window = screens.windows[i];
            pause = std::min(pause, screens.scenes[i]->sleepInterval());
            if (!drawsOnX11(options.kind, dpmsEnabled, powerLevel, window.obscured))
                continue;
            firstDrawn = firstDrawn || i == 0;
            if (screens.windows.size() > 1)
                glXMakeCurrent(display, window.drawable, window.context);
            // Right before the tick: a stop anywhere earlier (a round trip,
            // another window's swap) is held over, and not ticked through.
            if (takeContinued())
                for (KaleidoscopeScene* scene : screens.scenes)
                    scene->clock.holdClock();
            if (screens.scenes[i]->renderFrame(renderFlagsFor(*settings)))
                glXSwapBuffers(display, window.drawable);
        }
        if (options.trace && firstDrawn) {
            formatFrameTrace(*screens.scenes[0], ++frame, &trace[0], trace.size());
            std::puts(trace.c_str());
            std::fflush(stdout);
        }
        sleepWatchingEvents(display, &run, &screens, pause);
    }

    const bool failed = gXErrors.otherError || !made;
    while (!screens.windows.empty())
        closeScreen(display, &screens, screens.windows.size() - 1);
    settings->window = nullptr;
    XCloseDisplay(display);
    return failed ? 1 : 0;
}
