// The one settings record of a saver run: the system-wide password delay and
// mouse threshold, the saver's own mirrors setting, and the saver window's
// close state. Start-up creates it; the window and dialog procedures reach it
// through a process-wide reference because they get no context of their own.
#pragma once
#include <cstdint>

struct ScreenPoint {
    int32_t x, y;
};

struct SaverSettings {
    void* window;           // the saver window, once it has been created
    uint32_t passwordDelay; // seconds after start during which no password is asked
    int32_t mouseThreshold; // pixels the cursor may drift on each axis
    ScreenPoint startCursor;
    uint32_t startTick;       // system tick count in milliseconds when the window was created
    int32_t checkingPassword; // 1 while the password prompt is up
    int32_t closeRequested;   // set by the first closing input, never cleared
    uint32_t useMirrors;      // non-zero: mirrors on
};

constexpr uint32_t kDefaultPasswordDelay = 15;
constexpr int32_t kDefaultMouseThreshold = 50;
constexpr uint32_t kDefaultUseMirrors = 1;
