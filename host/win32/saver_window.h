// The saver window with its OpenGL context and the frame loop that draws the
// kaleidoscope into it until the window is destroyed.
#pragma once
#include <windows.h>

// Preview: a child of parent at the parent's outer size. Full screen: a
// popup over the virtual screen that follows the monitors; parent is null. Returns when the run is over.
void runSaverWindow(HWND parent, int showCommand);
