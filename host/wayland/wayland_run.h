// The records of a Wayland saver run: the compositor's globals, its outputs
// and seats, and the saver's surfaces, each with its own EGL context and
// scene. Listeners get these records as their user data; the frame loop owns
// them all through WaylandRun.
#pragma once
#include "host/common/saver_settings.h"
#include "host/linux/options.h"
#include "host/wayland/buffer_size.h"

#include <EGL/egl.h>
#include <wayland-client.h>

#include <cstdint>
#include <vector>

struct KaleidoscopeScene;
struct WaylandRun;
struct wl_egl_window;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_popup;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct wp_viewporter;
struct wp_viewport;
struct wp_fractional_scale_manager_v1;
struct wp_fractional_scale_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// One output of the compositor, from its wl_output global and, where offered,
// its xdg_output (the position and size in the compositor's coordinates).
struct ScreenOutput {
    WaylandRun* run = nullptr;
    uint32_t globalName = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    int32_t scale = 1;                           // wl_output.scale
    int32_t modeWidth = 0, modeHeight = 0;       // the current mode, pixels
    int32_t transform = 0;                       // WL_OUTPUT_TRANSFORM_*
    int32_t x = 0, y = 0;                        // position in the compositor's coordinates
    int32_t logicalWidth = 0, logicalHeight = 0; // from xdg_output; 0 when not known
    bool described = false;                      // the first wl_output.done has come
    bool changed = false;                        // a later done: its surface looks at its size again
    bool closed = false; // the compositor closed its overlay surface: none again until the output comes back
};

// One surface of the saver: on one output's overlay layer, a full-screen
// toplevel on one output, or the window of its own. Its context is its scene's alone, so that the viewport
// and projection the scene set up stay valid for it.
struct SaverSurface {
    WaylandRun* run = nullptr;
    ScreenOutput* screen = nullptr; // full screen: the output it covers; null for the window of its own
    wl_surface* surface = nullptr;
    xdg_surface* shellSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    // On the overlay layer the layer surface is a transparent pixel of its own
    // (layerBase, which gets the keyboard), and the saver draws in its popup:
    // a compositor may stack an earlier surface of the same layer above a
    // later one, but draws a layer's popups above the whole layer.
    wl_surface* layerBase = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    xdg_popup* popup = nullptr;              // the role of surface, with shellSurface
    int32_t layerWidth = 0, layerHeight = 0; // the layer surface's configured size, the popup's
    wp_viewport* layerViewport = nullptr;    // stretches layerBase's pixel over the output
    bool closed = false; // to be destroyed: closed by the compositor, or its output's size changed
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractionalScale = nullptr;
    uint32_t preferredScale120 = 0;                    // 0 until the compositor says
    std::vector<wl_output*> enteredOutputs;            // where the window of its own is shown
    int32_t configuredWidth = 0, configuredHeight = 0; // the last toplevel configure; 0: ours to choose
    bool configured = false;                           // an xdg_surface.configure has been acknowledged
    bool needsLayout = false; // size, scale or configure changed since the last frame
    // The compositor wants a frame: its last frame's callback has come, or
    // there has been no frame yet, or a configure came since. While it has not
    // (an output that is off, a hidden window), nothing is drawn here.
    bool frameWanted = true;
    bool drawnThisRound = false;          // the loop's last round drew it
    wl_callback* frameCallback = nullptr; // asked for with the last frame, not yet come
    bool hasKeyboardFocus = false;
    int32_t logicalWidth = 0, logicalHeight = 0;
    BufferSize buffer{0, 0, 0, false};
    wl_egl_window* eglWindow = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    KaleidoscopeScene* scene = nullptr;
};

// One seat: its pointer, keyboard and touch, whichever it has.
struct SaverSeat {
    WaylandRun* run = nullptr;
    uint32_t globalName = 0;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_touch* touch = nullptr;
    SaverSurface* pointerSurface = nullptr; // the surface the pointer is over, if ours
    xkb_keymap* keymap = nullptr;           // the window of its own only: Escape and q by symbol
    xkb_state* keyState = nullptr;
};

struct WaylandRun {
    const Options* options = nullptr;
    SaverSettings* settings = nullptr;
    bool fullScreen = false;

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    uint32_t compositorVersion = 0;
    xdg_wm_base* shell = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wl_shm* shm = nullptr;
    wl_buffer* clearPixel = nullptr; // 1x1, transparent: what the layer surfaces show themselves
    uint32_t layerShellVersion = 0;
    bool overlay = false; // full screen on the overlay layer (offered, and no --toplevel)
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScaleManager = nullptr;
    zxdg_output_manager_v1* outputManager = nullptr;
    xkb_context* keyContext = nullptr;

    EGLDisplay egl = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    uint32_t seed = 0;

    std::vector<ScreenOutput*> outputs;
    std::vector<SaverSurface*> surfaces;
    std::vector<SaverSeat*> seats;

    bool ended = false;             // closed by input or by the compositor: status 0
    bool failed = false;            // a set-up step failed after the start: status 1
    bool pointerStartKnown = false; // the pointer has entered one of our surfaces
    bool hadKeyboardFocus = false;  // one of our surfaces has had the keyboard
};
