// runWaylandSaver: the saver on a Wayland compositor. Returns the process
// exit status.
#pragma once
#include "host/common/saver_settings.h"
#include "host/linux/options.h"

int runWaylandSaver(const Options& options, SaverSettings* settings);

// What runWaylandSaver returns when no compositor answers: nothing was shown
// or printed, and errno says why.
constexpr int kNoCompositor = -1;
