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

// A notice that the session saw input (the idle watcher's, on Linux) while
// the full-screen saver runs. The saver's own input rules decide whether
// input it saw ends it; a notice only says the user is back. Input the saver
// saw itself within kInputNoticeWindowMs of the notice (any key, button or
// motion, one within the threshold too) was the notice's cause: the saver
// stays. None by then means the input went elsewhere (a lock screen above
// it), and the saver ends. Ticks wrap at 32 bits.
enum class InputNoticeVerdict { Wait, Stay, End };
constexpr uint32_t kInputNoticeWindowMs = 1500;
InputNoticeVerdict judgeInputNotice(uint32_t noticeTick, bool sawInput, uint32_t lastInputTick,
                                    uint32_t nowTick);

// The renderFlags word that the frame loop hands to the scene.
uint32_t renderFlagsFor(const SaverSettings& settings);
