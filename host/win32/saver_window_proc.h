// The saver window's procedure and the close and password steps it runs.
// The input, close and cursor rules hold in full-screen mode only; a
// preview is a plain child window that its parent ends.
#pragma once
#include "host/common/saver_settings.h"

#include <windows.h>

// The console display's power state, which a full-screen saver asks to be
// told of (RegisterPowerSettingNotification): while it is off nothing can be
// seen, and the frame loop draws nothing.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM firstParameter, LPARAM secondParameter);

// Marks that input asked the saver to close and posts a WM_CLOSE; every call
// posts another.
void requestClose(SaverSettings& settings);
// The password prompt is about to go up: input is ignored, the cursor shown.
void beginPasswordCheck(SaverSettings& settings);
// The prompt is gone: the cursor is hidden again and the mouse threshold is
// measured from where the cursor now is.
void endPasswordCheck(SaverSettings& settings);
