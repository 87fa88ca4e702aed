// The size of a surface's buffer on Wayland: the real pixels of the screen it
// is shown on, so that a scaled screen gets a sharp picture rather than one
// drawn small and enlarged by the compositor. Pure, for tests.
#pragma once
#include <cstdint>

struct BufferSize {
    int32_t width, height; // pixels of the buffer, what the scene is set up with
    int32_t bufferScale;   // for wl_surface.set_buffer_scale
    bool viewport;         // true: wp_viewport.set_destination(logical size), buffer scale 1
};

// logicalWidth x logicalHeight is the surface size in the compositor's
// coordinates (what xdg_toplevel.configure gives). outputScale is the integer
// scale of the output (wl_output.scale), preferredScale120 the fractional
// scale in 120ths (wp_fractional_scale_v1.preferred_scale), 0 when the
// compositor offers no fractional scale or no viewporter. A fractional scale
// sizes the buffer directly, rounded half away from zero as that protocol
// says; an integer scale multiplies.
BufferSize bufferSizeFor(int32_t logicalWidth, int32_t logicalHeight, int32_t outputScale,
                         uint32_t preferredScale120);
