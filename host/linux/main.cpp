// zellik: the kaleidoscope screen saver on Linux, on Wayland or on X11.
//
// What the program does before a host takes over:
//  [x] options                     host/linux/options.cpp, one parse for both window systems
//  [x] --wayland / --x11           force one; otherwise Wayland when WAYLAND_DISPLAY is set, and
//                                  X11 (with a note) when that compositor does not answer and
//                                  DISPLAY is set
//  [x] X11-only options            --window-id, --root and --display choose X11; with --wayland
//                                  they are refused in one line, status 2
//  [x] settings                    $XDG_CONFIG_HOME/zellik/zellik.ini, the registry's keys as sections
//  [x] --idle                      host/idle/idle_watcher.cpp: the session's idle watcher, in this
//                                  same program so that the autostart entry, the dialog and the
//                                  watcher start one file, and the saver it starts is its own build
//  [x] -c                          the GTK settings dialog; -c --mirrors on|off and
//                                  -c --idle-minutes N store without one; a time turned on
//                                  starts the session's watcher where there is a display
//                                  (GTK is loaded for the dialog alone: the saver starts without it)
//  [x] the saver                   host/x11/frame_loop.cpp (Xlib + GLX) or
//                                  host/wayland/wayland_saver.cpp (wayland-client + EGL)
//  [ ] password                    none: there is no screen-saver password library to ask, so
//                                  closing never asks, as on Windows where the library is missing
//  [ ] change password (-a)        likewise nothing to run
#include "host/common/saver_settings.h"
#include "host/idle/idle_watcher.h"
#include "host/linux/config_dialog_gtk.h"
#include "host/linux/idle_start.h"
#include "host/linux/options.h"
#include "host/linux/settings_file.h"
#include "host/linux/stop_signals.h"
#include "host/wayland/wayland_saver.h"
#include "host/x11/frame_loop.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    // Before any start-up work: a TERM from a daemon that changed its mind
    // at once still ends the run with 0 rather than the signal's status.
    // Once, for whichever host runs, the Wayland one and the X11 one after it.
    catchStopSignals();
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "zellik: %s; try 'zellik --help'\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    if (options.idle)
        return runIdleWatcher(options.trace);

    SaverSettings settings{};
    readSystemSettings(&settings);
    readSaverSettings(&settings);

    if (options.configure) {
        if (options.mirrors < 0 && options.idleMinutes < 0)
            return runConfigDialog(&settings);
        // From a terminal or a script: store the values given, no dialog, no display.
        settings.useMirrors = static_cast<uint32_t>(options.mirrors);
        const bool stored =
            (options.mirrors < 0 || writeSaverSettings(settings, &error)) &&
            (options.idleMinutes < 0 || writeIdleMinutes(static_cast<uint32_t>(options.idleMinutes), &error));
        if (!stored) {
            std::fprintf(stderr, "zellik: %s\n", error.c_str());
            return 1;
        }
        // As the dialog's OK: the time takes effect now, not at the next login.
        if (options.idleMinutes > 0 &&
            sessionHasDisplay(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY")))
            startIdleWatcher();
        return 0;
    }
    if (options.mirrors >= 0)
        settings.useMirrors = static_cast<uint32_t>(options.mirrors);

    WindowSystem system = WindowSystem::X11;
    if (!chooseWindowSystem(options, std::getenv("WAYLAND_DISPLAY"), &system, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        return 2;
    }
    if (system == WindowSystem::Wayland) {
        const int status = runWaylandSaver(options, &settings);
        if (status != kNoCompositor)
            return status;
        // A WAYLAND_DISPLAY left over from another session (tmux, the user's
        // systemd environment) beside a working DISPLAY: the X display it is,
        // unless --wayland asked for Wayland alone.
        const int cause = errno;
        const char* name = std::getenv("WAYLAND_DISPLAY");
        const char* xDisplay = std::getenv("DISPLAY");
        const bool toX11 =
            options.system == WindowSystem::Automatic && xDisplay != nullptr && xDisplay[0] != '\0';
        std::fprintf(stderr, "zellik: cannot connect to the Wayland compositor '%s': %s%s\n",
                     name != nullptr ? name : "wayland-0", std::strerror(cause),
                     toX11 ? "; drawing on the X display instead" : "");
        if (!toX11)
            return 1;
    }
    return runSaverWindow(options, &settings);
}
