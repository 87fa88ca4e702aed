#include "host/x11/frame_loop.h"
#include "host/common/close_rules.h"
#include "host/x11/glx_window.h"
#include "host/x11/saver_window_proc.h"
#include "host/x11/x_errors.h"
#include "platform/counter.h"
#include "scene/kaleidoscope_scene.h"
#include "tools/render/frame_trace.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <poll.h>
#include <string>

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

void onStopSignal(int) {
    gStopSignal = 1;
}

// The signal mask while the loop waits: the stop signals let through.
sigset_t gWaitMask;

// SIGTERM is how xscreensaver ends its programs, SIGINT how a terminal does.
// They stay blocked except while the loop waits, so one that comes while a
// frame is drawn is taken by the next wait at once and cannot slip in between
// the last check and the wait. (The GL driver's threads start later and
// inherit the block.)
void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &gWaitMask);
    sigdelset(&gWaitMask, SIGTERM);
    sigdelset(&gWaitMask, SIGINT);
}

bool stopping(const SaverRun& run) {
    return run.ended || gStopSignal || gXErrors.windowGone || gXErrors.otherError;
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
        const int32_t left = milliseconds - static_cast<int32_t>(elapsed);
        const timespec timeout{left / 1000, static_cast<long>(left % 1000) * 1000000L};
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        ppoll(&connection, 1, &timeout, &gWaitMask); // EINTR: a stop signal came
    }
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

    SaverWindow window;
    std::string error;
    if (!openSaverWindow(display, options, settings, &window, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        XCloseDisplay(display);
        return 1;
    }

    SaverRun run{&window, settings, false};
    // The loop never draws without a scene: when it cannot be made there is
    // nothing to show, and the run ends as a set-up failure.
    KaleidoscopeScene* scene = new (std::nothrow)
        KaleidoscopeScene(window.width, window.height, seedFromCalendarTime(), systemCounter());
    if (scene == nullptr) {
        std::fprintf(stderr, "zellik: out of memory for the scene\n");
        closeSaverWindow(&window);
        XCloseDisplay(display);
        return 1;
    }

    std::string trace(options.trace ? 4096 : 0, '\0');
    int64_t frame = 0;
    while (!stopping(run)) {
        handlePendingEvents(display, &run);
        if (stopping(run))
            break;
        // Read afresh every frame, as the Windows loop does.
        if (scene->renderFrame(renderFlagsFor(*settings)))
            glXSwapBuffers(display, window.drawable);
        if (options.trace) {
            formatFrameTrace(*scene, ++frame, &trace[0], trace.size());
            std::puts(trace.c_str());
            std::fflush(stdout);
        }
        sleepWatchingEvents(display, &run, scene->sleepInterval());
    }

    // The scene's textures belong to the context: free them while it is current.
    delete scene;
    const bool failed = gXErrors.otherError;
    closeSaverWindow(&window);
    XCloseDisplay(display);
    return failed ? 1 : 0;
}
