// The screen-saver switches as the system's saver machinery passes them:
// S (full screen), P or L (preview into a window), C (configure), A (change
// password), optionally after '-' or '/', in either case. Pure: the caller
// turns ownerIsForeground into the real foreground window.
#pragma once
#include "host/common/saver_mode.h"

#include <cstdint>

struct CommandLine {
    SaverMode mode;
    // The numeric value of the window handle that follows the switch; 0 means none.
    intptr_t parentWindow;
    // Configure with nothing after the switch: the dialog is owned by the
    // window that was in front when the saver was started.
    bool ownerIsForeground;
};

// wholeLine is the whole process command line, the program name included.
CommandLine parseCommandLine(const char* wholeLine);
