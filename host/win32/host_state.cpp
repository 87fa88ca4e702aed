#include "host/win32/host_state.h"

HINSTANCE saverInstance = nullptr;
SaverMode saverMode = SaverMode::None;
SaverSettings* saverSettings = nullptr;
bool displayOff = false;
bool monitorsChanged = false;
