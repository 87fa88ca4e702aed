// The process-wide state of a saver run. The window procedure and the dialog
// procedure are called by the system with no context of their own, so what
// they share with start-up lives here, one instance each, set once.
#pragma once
#include "host/common/saver_mode.h"
#include "host/common/saver_settings.h"

#include <windows.h>

extern HINSTANCE saverInstance;      // the module: dialog template, window class, resources
extern SaverMode saverMode;          // from the command line; never changes afterwards
extern SaverSettings* saverSettings; // created by start-up before any window or dialog exists
extern bool displayOff;              // full screen: the system said the display went off; nothing is drawn
extern bool monitorsChanged; // full screen: WM_DISPLAYCHANGE came; the frame loop follows the monitors
