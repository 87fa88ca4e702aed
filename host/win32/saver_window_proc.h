// The saver window's procedure and the close and password steps it runs.
// The input, close and cursor rules hold in full-screen mode only; a
// preview is a plain child window that its parent ends.
#pragma once
#include "host/common/saver_settings.h"

#include <windows.h>

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM firstParameter, LPARAM secondParameter);

// Marks that input asked the saver to close and posts a WM_CLOSE; every call
// posts another.
void requestClose(SaverSettings& settings);
// The password prompt is about to go up: input is ignored, the cursor shown.
void beginPasswordCheck(SaverSettings& settings);
// The prompt is gone: the cursor is hidden again and the mouse threshold is
// measured from where the cursor now is.
void endPasswordCheck(SaverSettings& settings);
