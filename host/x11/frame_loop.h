// runSaverWindow: open the display and the window, make the scene, run the
// frame loop, tear down in reverse order. Returns the process exit status.
#pragma once
#include "host/common/saver_settings.h"
#include "host/x11/options.h"

int runSaverWindow(const Options& options, SaverSettings* settings);
