// zellik: the kaleidoscope screen saver on Linux, with Xlib and GLX.
//
// What this host does:
//  [x] zellik                      a window of its own (--geometry WxH, default 1280x720)
//  [x] -s, --fullscreen            covers the screen; closes on a key, a button, focus loss or
//                                  a pointer move beyond "Mouse Threshold" on one axis; cursor hidden
//  [x] -p, --window-id ID          draws into an existing window; no input closes it
//  [x] --root                      $XSCREENSAVER_WINDOW, else the root window (xscreensaver's way)
//  [x] --mirrors / --no-mirrors    this run only; otherwise "UseMirrors" from the settings file
//  [x] -c                          the GTK settings dialog; -c --mirrors on|off stores without one
//  [x] frame loop                  all pending events, one renderFrame, glXSwapBuffers, sleepInterval
//  [x] SIGTERM, SIGINT             end the run cleanly with status 0, context released
//  [x] window destroyed by owner   ends quietly with status 0 (X error handler, DestroyNotify)
//  [x] settings                    $XDG_CONFIG_HOME/zellik/zellik.ini, the registry's keys as sections
//  [ ] password                    none: there is no screen-saver password library to ask, so
//                                  closing never asks, as on Windows where the library is missing
//  [ ] change password (-a)        likewise nothing to run
#include "host/common/saver_settings.h"
#include "host/x11/config_dialog_gtk.h"
#include "host/x11/frame_loop.h"
#include "host/x11/options.h"
#include "host/x11/settings_file.h"

#include <cstdio>
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
    return runSaverWindow(options, &settings);
}
