// The Linux saver on Wayland, with wayland-client, EGL, wlr-layer-shell and xdg-shell.
//
// What this host does:
//  [x] zellik                      a window of its own (--geometry WxH in the compositor's
//                                  coordinates); Escape, q or the compositor's close ends it
//  [x] -s, --fullscreen            a surface on every output's overlay layer (zwlr_layer_shell_v1,
//                                  versions 1-4; drawn in a popup of it, above earlier surfaces of
//                                  that layer), or a full-screen xdg toplevel on each where that
//                                  is not offered or with --toplevel; each with a whole
//                                  kaleidoscope at the output's real pixel size; closes on a key,
//                                  a button, a touch, losing the keyboard after having had it, or a
//                                  pointer move beyond "Mouse Threshold" on one axis from where the
//                                  pointer first entered; cursor hidden
//  [x] outputs added or removed    an added output gets its surface; a removed one takes only its own
//  [x] scale                       wl_output.scale as the buffer scale; fractional-scale-v1 with
//                                  viewporter where offered
//  [x] frame loop                  all pending events, one renderFrame and eglSwapBuffers (swap
//                                  interval 0) per surface whose last frame callback has come,
//                                  then the shortest sleepInterval; while no surface's frame is
//                                  wanted (outputs off, hidden), the loop waits without drawing
//  [x] SIGTERM, SIGINT             end the run cleanly with status 0
//  [x] SIGUSR1                     the idle watcher's notice of input: ends the run with 0 unless this
//                                  saver saw input of its own near it (stop_signals.h)
//  [x] SIGSTOP, SIGCONT            a pause: the picture carries on where it stood
//  [x] compositor closes or goes   the run ends at once with status 0 (toplevel close, lost connection);
//                                  a closed overlay surface is its output gone, and the run goes on
//  [ ] --window-id, --root         X11 only (refused before this host starts)
//  [ ] xdg-decoration              the window of its own gets what the compositor draws by default
#include "host/wayland/wayland_saver.h"
#include "host/common/close_rules.h"
#include "host/common/run_seed.h"
#include "host/linux/stop_signals.h"
#include "host/wayland/saver_surface.h"
#include "host/wayland/seat_input.h"
#include "host/wayland/wayland_globals.h"
#include "scene/kaleidoscope_scene.h"
#include "scene/frame_trace.h"

#include <algorithm>
#include <EGL/eglext.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <vector>

namespace {

bool connectionLost(const WaylandRun& run) {
    return wl_display_get_error(run.display) != 0;
}

bool stopping(const WaylandRun& run) {
    return run.ended || run.failed || stopSignalled() || connectionLost(run) || inputWentElsewhere();
}

// Reads and handles what the compositor has sent, waiting up to milliseconds
// for it. EGL reads from the same connection for its own queue, hence the
// prepare/read protocol rather than a plain dispatch. A connection that has
// failed or hung up makes wl_display_get_error non-zero, which ends the loop:
// nothing here is retried after that.
void handleEvents(WaylandRun* run, int32_t milliseconds) {
    wl_display* display = run->display;
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0)
            return;
    }
    // EAGAIN: the compositor is slow to read; the rest goes with a later
    // flush. EPIPE: it has gone, and the read below takes the hang-up.
    if (wl_display_flush(display) < 0 && errno != EAGAIN && errno != EPIPE) {
        wl_display_cancel_read(display);
        return;
    }
    const short events = waitForInput(wl_display_get_fd(display), milliseconds);
    if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
        if (wl_display_read_events(display) < 0)
            return;
    } else {
        wl_display_cancel_read(display);
    }
    wl_display_dispatch_pending(display);
}

// Full screen: an output that has described itself, has no surface yet and
// has not had its overlay surface closed.
bool wantsSurface(const WaylandRun& run, const ScreenOutput* screen) {
    return run.fullScreen && screen->described && !screen->closed &&
           std::none_of(run.surfaces.begin(), run.surfaces.end(),
                        [screen](const SaverSurface* surface) { return surface->screen == screen; });
}

// Work for followOutputs: the pause ends for it, so that a surface is drawn
// as soon as the compositor has configured it.
bool outputsToFollow(const WaylandRun& run) {
    return std::any_of(
               run.outputs.begin(), run.outputs.end(),
               [&run](const ScreenOutput* screen) { return screen->changed || wantsSurface(run, screen); }) ||
           std::any_of(run.surfaces.begin(), run.surfaces.end(), [](const SaverSurface* surface) {
               return surface->closed || (surface->configured && surface->needsLayout);
           });
}

// Surfaces for outputs that have described themselves and have none yet, and
// a new layout for those whose size or scale changed. Runs between frames,
// outside any listener.
void followOutputs(WaylandRun* run) {
    for (size_t i = run->surfaces.size(); i-- > 0;) {
        if (run->surfaces[i]->closed) {
            destroySaverSurface(run->surfaces[i]);
            run->surfaces.erase(run->surfaces.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (ScreenOutput* screen : run->outputs) {
        if (screen->changed) {
            screen->changed = false;
            for (SaverSurface* surface : run->surfaces)
                surface->needsLayout = true;
        }
        if (wantsSurface(*run, screen))
            run->surfaces.push_back(createSaverSurface(run, screen));
    }
    for (SaverSurface* surface : run->surfaces) {
        if (surface->configured && surface->needsLayout && !layOutSurface(surface))
            run->failed = true;
    }
}

// Some surface with a scene has a frame the compositor wants.
bool framesWanted(const WaylandRun& run) {
    return std::any_of(run.surfaces.begin(), run.surfaces.end(), [](const SaverSurface* surface) {
        return surface->scene != nullptr && surface->frameWanted;
    });
}

// The pause after the frames, at least milliseconds long, and then for as
// long as no surface's frame is wanted: a dark output or a hidden window
// costs nothing. Input, a close, a signal or a surface to set up or lay out
// ends it early; a frame the compositor asks for in the middle of it waits
// for its end, so that no frame is drawn early, and one it asks for after it
// is drawn at once.
void sleepWatchingEvents(WaylandRun* run, int32_t milliseconds) {
    constexpr int32_t kIdleWait = 60000; // any event, or the stop signal's pipe, ends it sooner
    const uint32_t start = tickCount();
    for (;;) {
        const uint32_t elapsed = tickCount() - start;
        const bool paced = milliseconds <= 0 || elapsed >= static_cast<uint32_t>(milliseconds);
        if (stopping(*run) || outputsToFollow(*run) || (paced && framesWanted(*run)))
            return;
        handleEvents(run, paced ? kIdleWait : milliseconds - static_cast<int32_t>(elapsed));
        checkKeyboardFocus(run);
    }
}

bool openEgl(WaylandRun* run, std::string* error) {
    run->egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, run->display, nullptr);
    if (run->egl == EGL_NO_DISPLAY || !eglInitialize(run->egl, nullptr, nullptr)) {
        *error = "cannot use EGL on this Wayland display";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = "EGL offers no desktop OpenGL on this Wayland display";
        return false;
    }
    // 8 bits per colour and no alpha: the compositor then takes the surface
    // as opaque, whatever alpha the scene leaves in the buffer.
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_WINDOW_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(run->egl, wanted, nullptr, 0, &count) || count < 1) {
        *error = "no EGL configuration with 8-bit RGB for OpenGL windows";
        return false;
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    eglChooseConfig(run->egl, wanted, configs.data(), count, &count);
    run->config = configs[0];
    for (EGLint i = 0; i < count; ++i) {
        EGLint alpha = -1, red = 0;
        eglGetConfigAttrib(run->egl, configs[static_cast<size_t>(i)], EGL_ALPHA_SIZE, &alpha);
        eglGetConfigAttrib(run->egl, configs[static_cast<size_t>(i)], EGL_RED_SIZE, &red);
        if (alpha == 0 && red == 8) {
            run->config = configs[static_cast<size_t>(i)];
            break;
        }
    }
    return true;
}

// The trace follows the first surface that has a scene, in the rounds that
// drew it.
void printTrace(const WaylandRun& run, int64_t* frame, std::string* trace) {
    const auto first = std::find_if(run.surfaces.begin(), run.surfaces.end(),
                                    [](const SaverSurface* surface) { return surface->scene != nullptr; });
    if (first == run.surfaces.end() || !(*first)->drawnThisRound)
        return;
    formatFrameTrace(*(*first)->scene, ++*frame, &(*trace)[0], trace->size());
    std::puts(trace->c_str());
    std::fflush(stdout);
}

// A frame for every surface that has a scene and whose frame the compositor
// wants; the others skip this round. Returns the shortest pause the drawn
// scenes ask for, 0 when none was drawn (the wait is then for the compositor
// alone), or a second while no surface has a scene.
int32_t drawFrames(WaylandRun* run) {
    int32_t pause = 1000;
    bool drawn = false;
    const uint32_t flags = renderFlagsFor(*run->settings);
    for (SaverSurface* surface : run->surfaces) {
        surface->drawnThisRound = surface->scene != nullptr && surface->frameWanted;
        if (surface->scene == nullptr)
            continue;
        drawn = drawn || surface->drawnThisRound;
        if (!surface->drawnThisRound)
            continue;
        // Right before the tick: a stop anywhere earlier is held over, and
        // not ticked through.
        if (takeContinued())
            for (SaverSurface* other : run->surfaces)
                if (other->scene != nullptr)
                    other->scene->clock.holdClock();
        if (!drawSurface(surface, flags) && connectionLost(*run))
            break;
        pause = std::min(pause, surface->scene->sleepInterval());
    }
    const bool anyScene = std::any_of(run->surfaces.begin(), run->surfaces.end(),
                                      [](const SaverSurface* surface) { return surface->scene != nullptr; });
    return anyScene && !drawn ? 0 : pause;
}

// A protocol error is a fault of ours, and said so; a connection that just
// ended is the compositor going away, and the saver goes with it quietly.
int exitStatus(const WaylandRun& run) {
    const int error = wl_display_get_error(run.display);
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        uint32_t id = 0;
        const uint32_t code = wl_display_get_protocol_error(run.display, &interface, &id);
        std::fprintf(stderr, "zellik: the Wayland compositor refused a request (%s %u, error %u)\n",
                     interface != nullptr ? interface->name : "unknown object", id, code);
        return 1;
    }
    return run.failed ? 1 : 0;
}

void tearDown(WaylandRun* run) {
    for (SaverSurface* surface : run->surfaces)
        destroySaverSurface(surface);
    run->surfaces.clear();
    releaseGlobals(run);
    if (run->egl != EGL_NO_DISPLAY) {
        eglMakeCurrent(run->egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglTerminate(run->egl);
        eglReleaseThread();
    }
    if (run->keyContext != nullptr)
        xkb_context_unref(run->keyContext);
    // Whatever the teardown asked of a live compositor goes out before the end.
    wl_display_flush(run->display);
    wl_display_disconnect(run->display);
}

} // namespace

int runWaylandSaver(const Options& options, SaverSettings* settings) {
    WaylandRun run;
    run.options = &options;
    run.settings = settings;
    run.fullScreen = options.kind == WindowKind::FullScreen;
    run.display = wl_display_connect(nullptr);
    if (run.display == nullptr)
        return kNoCompositor;
    if (!run.fullScreen)
        run.keyContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);

    std::string error;
    if (!bindGlobals(&run, &error) || !openEgl(&run, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        tearDown(&run);
        return 1;
    }
    run.overlay = run.fullScreen && run.layerShell != nullptr && !options.toplevel && makeClearPixel(&run);
    // One seed for every scene made at the start, as one picture per screen.
    run.seed = runSeed(std::getenv(kFixedSeedVariable), seedFromCalendarTime());
    if (!run.fullScreen)
        run.surfaces.push_back(createSaverSurface(&run, nullptr));
    followOutputs(&run);
    if (run.fullScreen && run.surfaces.empty())
        std::fprintf(stderr, "zellik: the Wayland compositor has no output yet; waiting for one\n");
    // The surfaces' creation: the reference time of the password delay.
    settings->window = run.surfaces.empty() ? nullptr : run.surfaces[0];
    settings->startTick = tickCount();

    std::string trace(options.trace ? 4096 : 0, '\0');
    int64_t frame = 0;
    stopSignalsToLoop();
    while (!stopping(run)) {
        handleEvents(&run, 0);
        checkKeyboardFocus(&run);
        followOutputs(&run);
        if (stopping(run))
            break;
        const int32_t pause = drawFrames(&run);
        if (options.trace)
            printTrace(run, &frame, &trace);
        sleepWatchingEvents(&run, pause);
    }

    const int status = exitStatus(run);
    tearDown(&run);
    settings->window = nullptr;
    return status;
}
