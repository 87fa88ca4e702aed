// Where the full-screen saver draws on X11: one kaleidoscope per monitor that
// RandR reports, each in a window of its own, so that every monitor shows a
// whole picture centred on it rather than a part of one spread over the seam.
// Pure, so that any monitor list can be tried without an X server.
#pragma once
#include <cstdint>
#include <vector>

struct ScreenArea {
    int32_t x, y, width, height; // root-window pixels
};

// The saver's windows for the monitors given, on a screen of screenWidth by
// screenHeight pixels: each monitor clipped to the screen; monitors left empty
// and repeats of an area already taken (cloned outputs) dropped; larger areas
// first, so that a smaller one lying over a larger one (a clone at a lower
// mode) is mapped later and stays on top. No monitor left: the whole screen.
std::vector<ScreenArea> saverScreenAreas(const std::vector<ScreenArea>& monitors, int32_t screenWidth,
                                         int32_t screenHeight);
