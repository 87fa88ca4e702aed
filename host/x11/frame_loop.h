// runSaverWindow on X11: open the display and the windows (full screen: one
// per monitor), make their scenes, run the frame loop, tear down in reverse
// order. Returns the process exit status.
#pragma once
#include "host/common/saver_settings.h"
#include "host/linux/options.h"

int runSaverWindow(const Options& options, SaverSettings* settings);
