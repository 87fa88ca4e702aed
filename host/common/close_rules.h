// The decisions of the full-screen saver's window procedure, without any
// window system: how far the mouse may drift, what a close message does,
// which activation changes and system commands matter.
#pragma once
#include "host/common/saver_settings.h"

#include <cstdint>

// True when the cursor has left the start position by more than the
// threshold on one axis; each axis is judged by itself. A negative threshold
// counts as 0.
bool movedBeyondThreshold(const SaverSettings& settings, ScreenPoint cursor);

enum class CloseAction { Ignore, Destroy, CheckPassword };

// What a close message does at tick nowTick (milliseconds of the system's
// wrapping tick count).
CloseAction decideClose(const SaverSettings& settings, uint32_t nowTick);

// WM_ACTIVATE, WM_ACTIVATEAPP and WM_NCACTIVATE carry "being deactivated" as
// 0 in the low word of their first parameter.
bool isDeactivation(uintptr_t firstParameter);

// SC_SCREENSAVE and SC_CLOSE are swallowed while the saver runs full screen.
bool swallowsSysCommand(uintptr_t command);

// The renderFlags word that the frame loop hands to the scene.
uint32_t renderFlagsFor(const SaverSettings& settings);
