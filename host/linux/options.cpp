#include "host/linux/options.h"
#include "host/linux/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>

const char kUsage[] =
    "Usage: zellik [OPTION]...\n"
    "A kaleidoscope screen saver: translucent tinted tiles drift through a wedge\n"
    "that is repeated round the circle, every second copy mirrored.\n"
    "\n"
    "Where it draws (one of):\n"
    "  (none)                 a window of its own (closing the window or Escape ends it)\n"
    "  --geometry WxH         that window's size in pixels (on Wayland in the\n"
    "                         compositor's units; default 1280x720)\n"
    "  -s, --fullscreen       every screen; a key, a button, a touch, a pointer move\n"
    "                         beyond the mouse threshold or a change of focus ends it\n"
    "  -p, --window-id ID     an existing X11 window, ID in decimal or 0x-hexadecimal\n"
    "  --root                 $XSCREENSAVER_WINDOW when set, otherwise the X11 root\n"
    "                         window (what xscreensaver runs)\n"
    "  --toplevel             with --fullscreen on Wayland: full-screen windows even\n"
    "                         where the compositor offers the overlay layer\n"
    "Full screen means every screen, each with a kaleidoscope of its own. On\n"
    "Wayland that is a surface on each output's overlay layer (wlr-layer-shell:\n"
    "sway, KWin, Hyprland, labwc, wayfire, niri, COSMIC), above everything and\n"
    "leaving the user's windows as they were; where that is not offered (GNOME)\n"
    "or with --toplevel, a full-screen window on each output. In an\n"
    "existing window or the root window no input ends it; SIGTERM, SIGINT or the\n"
    "window's destruction does.\n"
    "\n"
    "Window system (default: X11 for --window-id, --root or --display; otherwise\n"
    "Wayland when WAYLAND_DISPLAY is set, and X11 when that compositor does not\n"
    "answer but DISPLAY is set; otherwise X11):\n"
    "  --wayland              draw on the Wayland compositor of $WAYLAND_DISPLAY\n"
    "  --x11                  draw on the X display\n"
    "  --display NAME         the X display to use (default $DISPLAY)\n"
    "\n"
    "Settings:\n"
    "  --mirrors [on|off]     mirrors on (or as given) for this run\n"
    "  --no-mirrors           mirrors off for this run\n"
    "  -c, --configure        the settings dialog; with --mirrors on|off,\n"
    "                         --no-mirrors or --idle-minutes, store those settings\n"
    "                         without a dialog\n"
    "  --idle-minutes N       with -c: the idle time after which the idle watcher\n"
    "                         starts the saver, 0 (off, the default) to 720 minutes\n"
    "Idle watcher (GNOME, KDE Plasma, wlroots compositors; started at login):\n"
    "  --idle                 after the stored idle time (-c --idle-minutes) start\n"
    "                         the saver full screen, and again after each idle\n"
    "                         period; exits at once while the idle time is 0\n"
    "Other:\n"
    "  --trace                print one line per frame with the scene's state\n"
    "  -h, --help             this text\n"
    "Long options may be written with one dash (-root) as well as two.\n"
    "ZELLIK_SEED=N in the environment (0 to 4294967295) fixes the random seed,\n"
    "otherwise taken from the clock, so that runs can be compared picture for picture.\n"
    "\n"
    "Settings file: $XDG_CONFIG_HOME/zellik/zellik.ini (default ~/.config/zellik/zellik.ini)\n"
    "  [Software\\Quent\\Dunmere]                                  UseMirrors=1\n"
    "                                                            IdleMinutes=0\n"
    "  [Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers] Password Delay=15\n"
    "                                                            Mouse Threshold=50\n";

namespace {

// Recognises "-name", "--name" and, for options with a value, "--name=VALUE".
// Returns the text after '=' through inlineValue (null when none).
bool isOption(const char* arg, const char* name, const char** inlineValue) {
    if (arg[0] != '-')
        return false;
    const char* body = arg[1] == '-' ? arg + 2 : arg + 1;
    const size_t length = std::strlen(name);
    if (std::strncmp(body, name, length) != 0)
        return false;
    if (body[length] == '\0') {
        *inlineValue = nullptr;
        return true;
    }
    if (body[length] == '=') {
        *inlineValue = body + length + 1;
        return true;
    }
    return false;
}

int32_t switchValue(const char* text) {
    static const char* const on[] = {"on", "yes", "true", "1"};
    static const char* const off[] = {"off", "no", "false", "0"};
    for (const char* word : on) {
        if (std::strcmp(text, word) == 0)
            return 1;
    }
    for (const char* word : off) {
        if (std::strcmp(text, word) == 0)
            return 0;
    }
    return -1;
}

// A whole number of minutes as a person types it: decimal digits only.
bool parseMinutes(const char* text, int32_t* out) {
    if (*text == '\0' || std::strlen(text) > 9 || std::strspn(text, "0123456789") != std::strlen(text))
        return false;
    const long minutes = std::strtol(text, nullptr, 10);
    if (minutes > static_cast<long>(kMaxIdleMinutes))
        return false;
    *out = static_cast<int32_t>(minutes);
    return true;
}

bool parseSize(const char* text, int32_t* width, int32_t* height) {
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X'))
        return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0' || w < 1 || h < 1 || w > 16384 || h > 16384)
        return false;
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return true;
}

} // namespace

bool parseWindowId(const char* text, unsigned long* out) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (*digits == '\0')
        return false;
    for (const char* c = digits; *c != '\0'; ++c) {
        const bool ok = hex ? std::strchr("0123456789abcdefABCDEF", *c) != nullptr : (*c >= '0' && *c <= '9');
        if (!ok)
            return false;
    }
    errno = 0;
    const unsigned long long value = std::strtoull(digits, nullptr, hex ? 16 : 10);
    if (errno != 0 || value == 0 || value > 0xFFFFFFFFull)
        return false;
    *out = static_cast<unsigned long>(value);
    return true;
}

bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    bool kindGiven = false;
    bool systemGiven = false;
    // --window-id, --root and --display name X11 things; which one came first
    // is kept for the message should the run be on Wayland.
    auto noteX11Option = [&](const char* arg) {
        if (options->x11Option.empty())
            options->x11Option = arg;
    };
    auto setSystem = [&](WindowSystem system, const char* arg) {
        if (systemGiven && options->system != system) {
            *error = std::string("'") + arg + "' conflicts with an earlier choice of window system";
            return false;
        }
        systemGiven = true;
        options->system = system;
        return true;
    };
    auto setKind = [&](WindowKind kind, const char* arg) {
        if (kindGiven && options->kind != kind) {
            *error = std::string("'") + arg + "' conflicts with an earlier choice of where to draw";
            return false;
        }
        kindGiven = true;
        options->kind = kind;
        return true;
    };
    // The watcher starts full-screen savers itself, each with the stored
    // settings, on the session's own display: every option about where or
    // how one run draws would be silently dropped. The first such, as written.
    std::string notForIdle;
    static const char* const kNotForIdle[] = {"configure", "fullscreen", "root",       "window-id",
                                              "geometry",  "mirrors",    "no-mirrors", "display",
                                              "wayland",   "x11",        "toplevel"};
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = nullptr;
        const auto named = [&](const char* name) { return isOption(arg, name, &value); };
        if (notForIdle.empty() &&
            (std::any_of(std::begin(kNotForIdle), std::end(kNotForIdle), named) ||
             std::strcmp(arg, "-c") == 0 || std::strcmp(arg, "-s") == 0 || std::strcmp(arg, "-p") == 0))
            notForIdle = arg;
        value = nullptr;
        // The value of an option: after '=' or the next argument.
        auto takeValue = [&](const char* name) -> const char* {
            if (value != nullptr)
                return value;
            if (i + 1 < argc)
                return argv[++i];
            *error = std::string("option '") + arg + "' needs a value (see --help for " + name + ")";
            return nullptr;
        };
        // An option that takes no value refuses one after '=' (--fullscreen=no).
        static const char* const kSwitches[] = {"help",    "configure", "fullscreen", "root", "no-mirrors",
                                                "wayland", "x11",       "trace",      "idle", "toplevel"};
        const auto takesValue = [&](const char* name) {
            return isOption(arg, name, &value) && value != nullptr;
        };
        if (std::any_of(std::begin(kSwitches), std::end(kSwitches), takesValue)) {
            *error = std::string("option '") + arg + "' takes no value";
            return false;
        }
        if (isOption(arg, "help", &value) || std::strcmp(arg, "-h") == 0) {
            options->help = true;
        } else if (isOption(arg, "configure", &value) || std::strcmp(arg, "-c") == 0) {
            options->configure = true;
        } else if (isOption(arg, "fullscreen", &value) || std::strcmp(arg, "-s") == 0) {
            if (!setKind(WindowKind::FullScreen, arg))
                return false;
        } else if (isOption(arg, "root", &value)) {
            if (!setKind(WindowKind::Root, arg))
                return false;
            noteX11Option(arg);
        } else if (isOption(arg, "window-id", &value) || std::strcmp(arg, "-p") == 0) {
            const char* id = takeValue("window-id");
            if (id == nullptr)
                return false;
            if (!parseWindowId(id, &options->windowId)) {
                *error = std::string("'") + id + "' is not a window id (decimal or 0x-hexadecimal)";
                return false;
            }
            if (!setKind(WindowKind::Given, arg))
                return false;
            noteX11Option(arg);
        } else if (isOption(arg, "geometry", &value)) {
            const char* size = takeValue("geometry");
            if (size == nullptr)
                return false;
            if (!parseSize(size, &options->width, &options->height)) {
                *error = std::string("'") + size + "' is not a window size such as 1280x720";
                return false;
            }
        } else if (isOption(arg, "no-mirrors", &value)) {
            options->mirrors = 0;
        } else if (isOption(arg, "mirrors", &value)) {
            // The value is optional: "--mirrors" alone means on.
            if (value == nullptr && i + 1 < argc && switchValue(argv[i + 1]) >= 0)
                value = argv[++i];
            options->mirrors = value == nullptr ? 1 : switchValue(value);
            if (options->mirrors < 0) {
                *error = std::string("'") + value + "' is not on or off";
                return false;
            }
        } else if (isOption(arg, "idle-minutes", &value)) {
            const char* minutes = takeValue("idle-minutes");
            if (minutes == nullptr)
                return false;
            if (!parseMinutes(minutes, &options->idleMinutes)) {
                *error = std::string("'") + minutes + "' is not a whole number of minutes from 0 to " +
                         std::to_string(kMaxIdleMinutes);
                return false;
            }
        } else if (isOption(arg, "display", &value)) {
            const char* name = takeValue("display");
            if (name == nullptr)
                return false;
            options->display = name;
            noteX11Option(arg);
        } else if (isOption(arg, "wayland", &value)) {
            if (!setSystem(WindowSystem::Wayland, arg))
                return false;
        } else if (isOption(arg, "x11", &value)) {
            if (!setSystem(WindowSystem::X11, arg))
                return false;
        } else if (isOption(arg, "idle", &value)) {
            options->idle = true;
        } else if (isOption(arg, "trace", &value)) {
            options->trace = true;
        } else if (isOption(arg, "toplevel", &value)) {
            options->toplevel = true;
        } else {
            *error = std::string("unknown option '") + arg + "'";
            return false;
        }
    }
    if (options->idle && !notForIdle.empty()) {
        *error = "'--idle' starts the saver itself, full screen with the stored settings, and takes no '" +
                 notForIdle + "' (only --trace)";
        return false;
    }
    // The idle time is a stored setting, not something for one run.
    if (options->idleMinutes >= 0 && !options->configure) {
        *error = "'--idle-minutes' stores a setting and needs -c";
        return false;
    }
    return true;
}

bool chooseWindowSystem(const Options& options, const char* waylandDisplay, WindowSystem* chosen,
                        std::string* error) {
    WindowSystem system = options.system;
    // An option that names an X11 window or display means X11: an X11 program
    // that starts the saver under Xwayland passes WAYLAND_DISPLAY on.
    const bool wayland = waylandDisplay != nullptr && waylandDisplay[0] != '\0' && options.x11Option.empty();
    if (system == WindowSystem::Automatic)
        system = wayland ? WindowSystem::Wayland : WindowSystem::X11;
    if (system == WindowSystem::Wayland && !options.x11Option.empty()) {
        *error = "'" + options.x11Option + "' works on X11 only, not with --wayland";
        return false;
    }
    *chosen = system;
    return true;
}

bool drawsOnX11(WindowKind kind, bool dpmsEnabled, int powerLevel, bool fullyObscured) {
    if (kind == WindowKind::Given || kind == WindowKind::Root)
        return true;
    return !fullyObscured && !(dpmsEnabled && powerLevel != 0);
}
