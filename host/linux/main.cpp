// zellik: the kaleidoscope screen saver on Linux, on Wayland or on X11.
//
// What the program does before a host takes over:
//  [x] options                     host/linux/options.cpp, one parse for both window systems
//  [x] --wayland / --x11           force one; otherwise Wayland when WAYLAND_DISPLAY is set
//  [x] X11-only options            --window-id, --root and --display under Wayland: one line, status 2
//  [x] settings                    $XDG_CONFIG_HOME/zellik/zellik.ini, the registry's keys as sections
//  [x] -c                          the GTK settings dialog; -c --mirrors on|off stores without one
//  [x] the saver                   host/x11/frame_loop.cpp (Xlib + GLX) or
//                                  host/wayland/wayland_saver.cpp (wayland-client + EGL)
//  [ ] password                    none: there is no screen-saver password library to ask, so
//                                  closing never asks, as on Windows where the library is missing
//  [ ] change password (-a)        likewise nothing to run
#include "host/common/saver_settings.h"
#include "host/linux/config_dialog_gtk.h"
#include "host/linux/options.h"
#include "host/linux/settings_file.h"
#include "host/wayland/wayland_saver.h"
#include "host/x11/frame_loop.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
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

    SaverSettings settings{};
    readSystemSettings(&settings);
    readSaverSettings(&settings);

    if (options.configure) {
        if (options.mirrors < 0)
            return runConfigDialog(&settings);
        // From a terminal or a script: store the value, no dialog, no display.
        settings.useMirrors = static_cast<uint32_t>(options.mirrors);
        if (!writeSaverSettings(settings, &error)) {
            std::fprintf(stderr, "zellik: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (options.mirrors >= 0)
        settings.useMirrors = static_cast<uint32_t>(options.mirrors);

    WindowSystem system = WindowSystem::X11;
    if (!chooseWindowSystem(options, std::getenv("WAYLAND_DISPLAY"), &system, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        return 2;
    }
    if (system == WindowSystem::Wayland)
        return runWaylandSaver(options, &settings);
    return runSaverWindow(options, &settings);
}
