// The screen-saver password services of the Windows 95/98 family. Neither
// library exists on every Windows, so both are loaded by name when needed
// and freed at once; where one is missing, its step is skipped.
#pragma once
#include <windows.h>

// Non-zero when the saver may close: the password was accepted, none is
// set, the system is of the NT family, or the service is missing.
BOOL verifyPassword(HWND saverWindow);

// Runs the system's dialog that changes the screen-saver password.
void changePassword(HWND parent);
