// The command line of the Linux saver, on Wayland and on X11. Every long
// option is accepted with one dash or two, as the programs xscreensaver starts
// expect (-root, --root).
#pragma once
#include <cstdint>
#include <string>

enum class WindowKind {
    Own,        // a normal window of its own, for trying the saver out
    FullScreen, // covers the screen; closes by the full-screen rules
    Given,      // draws into an existing window (--window-id)
    Root,       // $XSCREENSAVER_WINDOW when set, otherwise the root window
};

enum class WindowSystem {
    Automatic, // X11 for an X11-only option, else Wayland when WAYLAND_DISPLAY is set
    Wayland,   // --wayland
    X11,       // --x11
};

struct Options {
    bool help = false;
    bool configure = false; // -c: the dialog, or the terminal setting with --mirrors
    bool trace = false;     // one frame-trace line per frame on stdout (with --idle: one per event)
    bool idle = false;      // --idle: watch the session and start the saver when it is idle
    bool toplevel = false;  // Wayland full screen: xdg toplevels even where the overlay layer is offered
    WindowKind kind = WindowKind::Own;
    int32_t width = 1280;
    int32_t height = 720;
    unsigned long windowId = 0;
    int32_t mirrors = -1;     // -1: as stored; 0 off; 1 on
    int32_t idleMinutes = -1; // -c --idle-minutes N: N to store (0..kMaxIdleMinutes); -1: not given
    std::string display;      // empty: $DISPLAY
    WindowSystem system = WindowSystem::Automatic;
    std::string x11Option; // the first option that only X11 can honour, as written; empty when none
};

// False with one line in error for anything it cannot take.
bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// The window system a run draws on: the one forced by --wayland or --x11,
// otherwise X11 when the options name an X11 window or display, otherwise
// Wayland when waylandDisplay (the value of WAYLAND_DISPLAY) is set and not
// empty. False with one line in error for an X11-only option with --wayland.
bool chooseWindowSystem(const Options& options, const char* waylandDisplay, WindowSystem* chosen,
                        std::string* error);

// Decimal or 0x-hexadecimal, non-zero, at most 32 bits.
bool parseWindowId(const char* text, unsigned long* out);

extern const char kUsage[];

// Whether an X11 window draws its next frame. A window of our own or a
// full-screen one pauses while DPMS (when enabled) holds the monitor in any
// power-saving level (standby, suspend or off: DPMSModeOn is 0) and while the
// window is fully obscured; it draws again at once when neither holds. A
// window someone else gave us (--window-id, --root) always draws: its owner
// decides when it is shown.
bool drawsOnX11(WindowKind kind, bool dpmsEnabled, int powerLevel, bool fullyObscured);
