// runWaylandSaver: the saver on a Wayland compositor. Returns the process
// exit status.
#pragma once
#include "host/common/saver_settings.h"
#include "host/linux/options.h"

int runWaylandSaver(const Options& options, SaverSettings* settings);
