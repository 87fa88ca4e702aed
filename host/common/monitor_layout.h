// Where the full-screen saver draws: one kaleidoscope per monitor, so that
// every monitor shows a whole picture centred on it rather than a part of one
// spread over the seam. The X11 host makes a window per area; the Windows
// host one window over the virtual screen with a viewport per area. Pure, so
// that any monitor list can be tried without a display.
#pragma once
#include <cstdint>
#include <vector>

struct ScreenArea {
    int32_t x, y, width, height; // screen pixels, y down; the origin may be negative
};

// The saver's areas for the monitors given, on a screen (X11's root window,
// or Windows' virtual screen) covering `screen`: each monitor clipped to the
// screen; monitors left empty and repeats of an area already taken (cloned
// outputs) dropped; larger areas first, so that a smaller one lying over a
// larger one (a clone at a lower mode) is drawn later and stays on top. No
// monitor left: the whole screen.
std::vector<ScreenArea> saverScreenAreas(const std::vector<ScreenArea>& monitors, const ScreenArea& screen);

// An area as an OpenGL viewport of a window covering `screen`: relative to the
// window, counted from its lower left corner.
ScreenArea viewportOf(const ScreenArea& area, const ScreenArea& screen);
