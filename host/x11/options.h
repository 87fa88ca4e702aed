// The command line of the Linux saver. Every long option is accepted with one
// dash or two, as the programs xscreensaver starts expect (-root, --root).
#pragma once
#include <cstdint>
#include <string>

enum class WindowKind {
    Own,        // a normal window of its own, for trying the saver out
    FullScreen, // covers the screen; closes by the full-screen rules
    Given,      // draws into an existing window (--window-id)
    Root,       // $XSCREENSAVER_WINDOW when set, otherwise the root window
};

struct Options {
    bool help = false;
    bool configure = false; // -c: the dialog, or the terminal setting with --mirrors
    bool trace = false;     // one frame-trace line per frame on stdout
    WindowKind kind = WindowKind::Own;
    int32_t width = 1280;
    int32_t height = 720;
    unsigned long windowId = 0;
    int32_t mirrors = -1; // -1: as stored; 0 off; 1 on
    std::string display;  // empty: $DISPLAY
};

// False with one line in error for anything it cannot take.
bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// Decimal or 0x-hexadecimal, non-zero, at most 32 bits.
bool parseWindowId(const char* text, unsigned long* out);

extern const char kUsage[];
