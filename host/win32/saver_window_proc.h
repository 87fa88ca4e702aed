// The saver window's procedure and the close and password steps it runs.
// The input, close and cursor rules hold in full-screen mode only; a
// preview is a plain child window that its parent ends.
#pragma once
#include "host/common/saver_settings.h"

#include <windows.h>

// The display power settings a full-screen saver asks to be told of
// (RegisterPowerSettingNotification): while the display is off nothing can be
// seen, and the frame loop draws nothing. Both say 0 off, 1 on, 2 dimmed. The
// session's display status (Windows 8 on) tells of the display this session
// shows on, a Remote Desktop client's included; the console's display state,
// the only one before, tells of the machine's own monitor, which may be off
// while a remote user watches the saver.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kSessionDisplayStatus = {
    0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};

// The setting to watch on a system of that version (GetVersion's numbers):
// the session's from 6.2, Windows 8, on; the console's before.
const GUID& displayPowerSetting(DWORD majorVersion, DWORD minorVersion);

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM firstParameter, LPARAM secondParameter);

// Marks that input asked the saver to close and posts a WM_CLOSE; every call
// posts another.
void requestClose(SaverSettings& settings);
// The password prompt is about to go up: input is ignored, the cursor shown.
void beginPasswordCheck(SaverSettings& settings);
// The prompt is gone: the cursor is hidden again and the mouse threshold is
// measured from where the cursor now is.
void endPasswordCheck(SaverSettings& settings);
