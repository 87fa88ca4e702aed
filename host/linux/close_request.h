// requestClose on Linux: the close rule of host/common run at once, where
// Windows posts WM_CLOSE to its own window. Nothing can come between the two,
// since one thread handles input and the rule.
#pragma once
#include "host/common/saver_settings.h"

#include <cstdint>

// Records that input asked the saver to close and runs the close rule at
// nowTick (tickCount()). True when the full-screen saver ends now.
bool requestClose(SaverSettings* settings, uint32_t nowTick);
