#include "host/wayland/saver_surface.h"
#include "host/wayland/seat_input.h"
#include "host/wayland/wayland_globals.h"
#include "platform/counter.h"
#include "scene/kaleidoscope_scene.h"

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-egl.h>

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

// --- the role --------------------------------------------------------------

void shellSurfaceConfigure(void* data, xdg_surface* shellSurface, uint32_t serial) {
    auto* surface = static_cast<SaverSurface*>(data);
    xdg_surface_ack_configure(shellSurface, serial);
    surface->configured = true;
    surface->needsLayout = true;
    surface->frameWanted = true;
}

const xdg_surface_listener kShellSurfaceListener = {shellSurfaceConfigure};

// A configured size, from the toplevel or the layer surface.
void takeConfiguredSize(SaverSurface* surface, int32_t width, int32_t height) {
    // A new size of the surface under the pointer moves what its coordinates
    // mean (a window placed first with a border, then made full screen): the
    // reference point is taken again from the next pointer event, or the same
    // resting pointer would seem to have moved.
    const bool resized = width != surface->configuredWidth || height != surface->configuredHeight;
    for (const SaverSeat* seat : surface->run->seats)
        if (resized && seat->pointerSurface == surface)
            surface->run->pointerStartKnown = false;
    surface->configuredWidth = width;
    surface->configuredHeight = height;
}

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    takeConfiguredSize(static_cast<SaverSurface*>(data), width, height);
}

// The compositor (or its user) closes the window: the run ends with status 0.
void toplevelClose(void* data, xdg_toplevel*) {
    static_cast<SaverSurface*>(data)->run->ended = true;
}

void toplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void toplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener kToplevelListener = {toplevelConfigure, toplevelClose, toplevelBounds,
                                                 toplevelCapabilities};

// The popup's configure: its place on the layer surface and its size. It
// lies on all of its layer surface, at 0,0: a point means the same on both,
// so a reference point the pointer gave on the layer surface (mapped first)
// still holds.
void popupConfigure(void* data, xdg_popup*, int32_t, int32_t, int32_t width, int32_t height) {
    auto* surface = static_cast<SaverSurface*>(data);
    surface->configuredWidth = width;
    surface->configuredHeight = height;
}

// The compositor takes the surface away (its output is going, or it will not
// show it any more): that output has no saver from now on, and the run goes on
// on the others. followOutputs destroys the surface outside the dispatch.
void closedByCompositor(SaverSurface* surface) {
    surface->closed = true;
    if (surface->screen != nullptr)
        surface->screen->closed = true;
}

void popupDone(void* data, xdg_popup*) {
    closedByCompositor(static_cast<SaverSurface*>(data));
}

void popupRepositioned(void*, xdg_popup*, uint32_t) {}

const xdg_popup_listener kPopupListener = {popupConfigure, popupDone, popupRepositioned};

// The popup that the saver draws in, over all of the layer surface (the
// output), made once the layer surface knows its size.
void openPopup(SaverSurface* surface) {
    WaylandRun* run = surface->run;
    xdg_positioner* positioner = xdg_wm_base_create_positioner(run->shell);
    xdg_positioner_set_size(positioner, surface->layerWidth, surface->layerHeight);
    xdg_positioner_set_anchor_rect(positioner, 0, 0, surface->layerWidth, surface->layerHeight);
    xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
    xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
    surface->shellSurface = xdg_wm_base_get_xdg_surface(run->shell, surface->surface);
    xdg_surface_add_listener(surface->shellSurface, &kShellSurfaceListener, surface);
    surface->popup = xdg_surface_get_popup(surface->shellSurface, nullptr, positioner);
    xdg_positioner_destroy(positioner);
    xdg_popup_add_listener(surface->popup, &kPopupListener, surface);
    zwlr_layer_surface_v1_get_popup(surface->layerSurface, surface->popup);
    wl_surface_commit(surface->surface);
}

// The layer surface's configure carries its size (the output's, as all four
// edges are anchored) and is acknowledged before the next commit. The popup follows; a later size is a new
// popup, and so a new surface (a popup's size is fixed when it is made).
void layerConfigure(void* data, zwlr_layer_surface_v1* layerSurface, uint32_t serial, uint32_t width,
                    uint32_t height) {
    auto* surface = static_cast<SaverSurface*>(data);
    zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
    const auto w = static_cast<int32_t>(width);
    const auto h = static_cast<int32_t>(height);
    if (surface->popup != nullptr) {
        surface->closed = surface->closed || w != surface->layerWidth || h != surface->layerHeight;
        return;
    }
    surface->layerWidth = w;
    surface->layerHeight = h;
    // xdg-shell maps a popup only once its parent is mapped: the layer
    // surface gets its buffer first, the transparent pixel stretched over
    // the whole output where the viewporter is offered (else the pixel
    // alone). Transparent, it shows nothing until the saver's first frame;
    // whole, it takes the resting pointer as it appears (a compositor looks
    // again at what lies under the pointer when a layer surface maps, not
    // when a popup does), so a click without a move comes to the saver.
    if (surface->layerViewport != nullptr)
        wp_viewport_set_destination(surface->layerViewport, w, h);
    wl_surface_attach(surface->layerBase, surface->run->clearPixel, 0, 0);
    wl_surface_commit(surface->layerBase);
    openPopup(surface);
}

void layerClosed(void* data, zwlr_layer_surface_v1*) {
    closedByCompositor(static_cast<SaverSurface*>(data));
}

const zwlr_layer_surface_v1_listener kLayerSurfaceListener = {layerConfigure, layerClosed};

// --- scale -----------------------------------------------------------------

void preferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
    auto* surface = static_cast<SaverSurface*>(data);
    if (surface->preferredScale120 != scale) {
        surface->preferredScale120 = scale;
        surface->needsLayout = true;
    }
}

const wp_fractional_scale_v1_listener kFractionalScaleListener = {preferredScale};

// The window of its own follows the outputs it is shown on (the largest scale
// of them); a full-screen surface has its output's. Coming onto an output, a
// surface gets a frame there: a frame committed before the surface was placed
// may never get its callback (seen on sway with an output just added).
void surfaceEnter(void* data, wl_surface*, wl_output* output) {
    auto* surface = static_cast<SaverSurface*>(data);
    surface->enteredOutputs.push_back(output);
    surface->needsLayout = true;
    surface->frameWanted = true;
}

void surfaceLeave(void* data, wl_surface*, wl_output* output) {
    auto* surface = static_cast<SaverSurface*>(data);
    auto& entered = surface->enteredOutputs;
    entered.erase(std::remove(entered.begin(), entered.end(), output), entered.end());
    surface->needsLayout = true;
}

const wl_surface_listener kSurfaceListener = {surfaceEnter, surfaceLeave};

int32_t integerScale(const SaverSurface& surface) {
    if (surface.screen != nullptr)
        return surface.screen->scale;
    int32_t scale = 1;
    for (const ScreenOutput* screen : surface.run->outputs) {
        if (std::find(surface.enteredOutputs.begin(), surface.enteredOutputs.end(), screen->output) !=
            surface.enteredOutputs.end())
            scale = std::max(scale, screen->scale);
    }
    return scale;
}

// The size in the compositor's coordinates: what it configured, otherwise
// the output's (full screen) or the options' (a window of its own).
void logicalSize(const SaverSurface& surface, int32_t* width, int32_t* height) {
    if (surface.configuredWidth > 0 && surface.configuredHeight > 0) {
        *width = surface.configuredWidth;
        *height = surface.configuredHeight;
    } else if (surface.screen != nullptr) {
        outputLogicalSize(*surface.screen, width, height);
    } else {
        *width = surface.run->options->width;
        *height = surface.run->options->height;
    }
    if (*width < 1 || *height < 1) {
        *width = 640;
        *height = 480;
    }
}

// --- drawing ---------------------------------------------------------------

void forgetFrameCallback(SaverSurface* surface) {
    if (surface->frameCallback != nullptr)
        wl_callback_destroy(surface->frameCallback);
    surface->frameCallback = nullptr;
}

// The compositor has shown the last frame, or would show the next one.
void frameDone(void* data, wl_callback*, uint32_t) {
    auto* surface = static_cast<SaverSurface*>(data);
    forgetFrameCallback(surface);
    surface->frameWanted = true;
}

const wl_callback_listener kFrameListener = {frameDone};

bool fail(const char* step) {
    std::fprintf(stderr, "zellik: cannot draw on the Wayland surface: %s failed (EGL error 0x%x)\n", step,
                 static_cast<unsigned>(eglGetError()));
    return false;
}

bool makeCurrent(const SaverSurface& surface) {
    return eglMakeCurrent(surface.run->egl, surface.eglSurface, surface.eglSurface, surface.context) ==
           EGL_TRUE;
}

// The EGL window, a context of its own and the scene at the buffer size.
bool setUpDrawing(SaverSurface* surface) {
    WaylandRun* run = surface->run;
    surface->eglWindow =
        wl_egl_window_create(surface->surface, surface->buffer.width, surface->buffer.height);
    if (surface->eglWindow == nullptr)
        return fail("wl_egl_window_create");
    surface->eglSurface = eglCreatePlatformWindowSurface(run->egl, run->config, surface->eglWindow, nullptr);
    if (surface->eglSurface == EGL_NO_SURFACE)
        return fail("eglCreatePlatformWindowSurface");
    const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    surface->context = eglCreateContext(run->egl, run->config, EGL_NO_CONTEXT, attributes);
    if (surface->context == EGL_NO_CONTEXT)
        return fail("eglCreateContext");
    if (!makeCurrent(*surface))
        return fail("eglMakeCurrent");
    eglSwapInterval(run->egl, 0);
    surface->scene = new (std::nothrow)
        KaleidoscopeScene(surface->buffer.width, surface->buffer.height, run->seed, systemCounter());
    if (surface->scene == nullptr) {
        std::fprintf(stderr, "zellik: out of memory for the scene\n");
        return false;
    }
    return true;
}

} // namespace

SaverSurface* createSaverSurface(WaylandRun* run, ScreenOutput* screen) {
    auto* surface = new SaverSurface;
    surface->run = run;
    surface->screen = screen;
    surface->surface = wl_compositor_create_surface(run->compositor);
    wl_surface_add_listener(surface->surface, &kSurfaceListener, surface);
    // The fractional scale is only of use with a viewport to map the buffer.
    if (run->viewporter != nullptr) {
        surface->viewport = wp_viewporter_get_viewport(run->viewporter, surface->surface);
        if (run->fractionalScaleManager != nullptr) {
            surface->fractionalScale = wp_fractional_scale_manager_v1_get_fractional_scale(
                run->fractionalScaleManager, surface->surface);
            wp_fractional_scale_v1_add_listener(surface->fractionalScale, &kFractionalScaleListener, surface);
        }
    }
    if (run->overlay && screen != nullptr) {
        // Above every window and panel, on this output only, over all of it
        // (size 0x0: the compositor gives the output's), pushing nothing aside,
        // with the keyboard to itself; the user's windows keep their state.
        surface->layerBase = wl_compositor_create_surface(run->compositor);
        if (run->viewporter != nullptr)
            surface->layerViewport = wp_viewporter_get_viewport(run->viewporter, surface->layerBase);
        surface->layerSurface = zwlr_layer_shell_v1_get_layer_surface(
            run->layerShell, surface->layerBase, screen->output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zellik");
        zwlr_layer_surface_v1_add_listener(surface->layerSurface, &kLayerSurfaceListener, surface);
        zwlr_layer_surface_v1_set_size(surface->layerSurface, 0, 0);
        zwlr_layer_surface_v1_set_anchor(surface->layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(surface->layerSurface, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            surface->layerSurface, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
        wl_surface_commit(surface->layerBase);
        return surface;
    }
    surface->shellSurface = xdg_wm_base_get_xdg_surface(run->shell, surface->surface);
    xdg_surface_add_listener(surface->shellSurface, &kShellSurfaceListener, surface);
    surface->toplevel = xdg_surface_get_toplevel(surface->shellSurface);
    xdg_toplevel_add_listener(surface->toplevel, &kToplevelListener, surface);
    xdg_toplevel_set_title(surface->toplevel, "Zellik");
    xdg_toplevel_set_app_id(surface->toplevel, "zellik");
    if (screen != nullptr)
        xdg_toplevel_set_fullscreen(surface->toplevel, screen->output);
    wl_surface_commit(surface->surface);
    return surface;
}

bool layOutSurface(SaverSurface* surface) {
    surface->needsLayout = false;
    WaylandRun* run = surface->run;
    int32_t width = 0, height = 0;
    logicalSize(*surface, &width, &height);
    const uint32_t fractional = surface->fractionalScale != nullptr ? surface->preferredScale120 : 0;
    const BufferSize buffer = bufferSizeFor(width, height, integerScale(*surface), fractional);
    const bool resized = buffer.width != surface->buffer.width || buffer.height != surface->buffer.height;
    surface->logicalWidth = width;
    surface->logicalHeight = height;
    surface->buffer = buffer;

    // Surface state that the next commit (the next swap) applies together
    // with the buffer of the new size.
    if (run->compositorVersion >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_set_buffer_scale(surface->surface, buffer.bufferScale);
    if (surface->viewport != nullptr) {
        if (buffer.viewport)
            wp_viewport_set_destination(surface->viewport, width, height);
        else
            wp_viewport_set_destination(surface->viewport, -1, -1);
    }
    // Every pixel is drawn opaque: the compositor need not draw what lies beneath.
    wl_region* opaque = wl_compositor_create_region(run->compositor);
    wl_region_add(opaque, 0, 0, width, height);
    wl_surface_set_opaque_region(surface->surface, opaque);
    wl_region_destroy(opaque);

    if (surface->scene == nullptr)
        return setUpDrawing(surface);
    if (resized) {
        wl_egl_window_resize(surface->eglWindow, buffer.width, buffer.height, 0, 0);
        if (!makeCurrent(*surface))
            return fail("eglMakeCurrent");
        setSceneViewport(buffer.width, buffer.height);
    }
    return true;
}

bool drawSurface(SaverSurface* surface, uint32_t renderFlags) {
    if (!makeCurrent(*surface))
        return false;
    if (!surface->scene->renderFrame(renderFlags))
        return true;
    // The swap commits the surface, and with it this request: the compositor
    // answers once it wants the next frame.
    forgetFrameCallback(surface);
    surface->frameCallback = wl_surface_frame(surface->surface);
    wl_callback_add_listener(surface->frameCallback, &kFrameListener, surface);
    surface->frameWanted = false;
    return eglSwapBuffers(surface->run->egl, surface->eglSurface) == EGL_TRUE;
}

void destroySaverSurface(SaverSurface* surface) {
    WaylandRun* run = surface->run;
    forgetSurface(run, surface);
    forgetFrameCallback(surface);
    if (surface->scene != nullptr) {
        // Its textures belong to its context. Should that context not come
        // back (the connection is gone), none is current and the calls go nowhere.
        if (!makeCurrent(*surface))
            eglMakeCurrent(run->egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        delete surface->scene;
    }
    surface->scene = nullptr;
    eglMakeCurrent(run->egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface->context != EGL_NO_CONTEXT)
        eglDestroyContext(run->egl, surface->context);
    if (surface->eglSurface != EGL_NO_SURFACE)
        eglDestroySurface(run->egl, surface->eglSurface);
    if (surface->eglWindow != nullptr)
        wl_egl_window_destroy(surface->eglWindow);
    if (surface->fractionalScale != nullptr)
        wp_fractional_scale_v1_destroy(surface->fractionalScale);
    if (surface->viewport != nullptr)
        wp_viewport_destroy(surface->viewport);
    // A popup goes before its parent, a role before its surface.
    if (surface->popup != nullptr)
        xdg_popup_destroy(surface->popup);
    if (surface->toplevel != nullptr)
        xdg_toplevel_destroy(surface->toplevel);
    if (surface->shellSurface != nullptr)
        xdg_surface_destroy(surface->shellSurface);
    if (surface->layerSurface != nullptr)
        zwlr_layer_surface_v1_destroy(surface->layerSurface);
    if (surface->layerViewport != nullptr)
        wp_viewport_destroy(surface->layerViewport);
    if (surface->layerBase != nullptr)
        wl_surface_destroy(surface->layerBase);
    wl_surface_destroy(surface->surface);
    delete surface;
}
