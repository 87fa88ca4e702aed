#include "host/wayland/wayland_globals.h"
#include "host/wayland/saver_surface.h"
#include "host/wayland/seat_input.h"

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// --- outputs ---------------------------------------------------------------

void outputGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t transform) {
    auto* screen = static_cast<ScreenOutput*>(data);
    // xdg_output's position is the better one where it is offered.
    if (screen->xdgOutput == nullptr) {
        screen->x = x;
        screen->y = y;
    }
    screen->transform = transform;
}

void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    auto* screen = static_cast<ScreenOutput*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        screen->modeWidth = width;
        screen->modeHeight = height;
    }
}

void outputDone(void* data, wl_output*) {
    auto* screen = static_cast<ScreenOutput*>(data);
    screen->changed = screen->described;
    screen->described = true;
}

void outputScale(void* data, wl_output*, int32_t factor) {
    static_cast<ScreenOutput*>(data)->scale = factor;
}

void outputName(void*, wl_output*, const char*) {}
void outputDescription(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone,
                                            outputScale,    outputName, outputDescription};

void xdgOutputPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    auto* screen = static_cast<ScreenOutput*>(data);
    screen->x = x;
    screen->y = y;
}

void xdgOutputSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
    auto* screen = static_cast<ScreenOutput*>(data);
    screen->logicalWidth = width;
    screen->logicalHeight = height;
}

void xdgOutputDone(void*, zxdg_output_v1*) {}
void xdgOutputName(void*, zxdg_output_v1*, const char*) {}
void xdgOutputDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgOutputListener = {xdgOutputPosition, xdgOutputSize, xdgOutputDone,
                                                    xdgOutputName, xdgOutputDescription};

void watchXdgOutput(WaylandRun* run, ScreenOutput* screen) {
    if (run->outputManager == nullptr || screen->xdgOutput != nullptr)
        return;
    screen->xdgOutput = zxdg_output_manager_v1_get_xdg_output(run->outputManager, screen->output);
    zxdg_output_v1_add_listener(screen->xdgOutput, &kXdgOutputListener, screen);
}

void addOutput(WaylandRun* run, uint32_t name, uint32_t version) {
    auto* screen = new ScreenOutput;
    screen->run = run;
    screen->globalName = name;
    // Version 2 has the scale and done events, 3 the release request.
    screen->output = static_cast<wl_output*>(
        wl_registry_bind(run->registry, name, &wl_output_interface, std::min<uint32_t>(version, 4)));
    wl_output_add_listener(screen->output, &kOutputListener, screen);
    watchXdgOutput(run, screen);
    run->outputs.push_back(screen);
}

void releaseOutput(ScreenOutput* screen) {
    if (screen->xdgOutput != nullptr)
        zxdg_output_v1_destroy(screen->xdgOutput);
    if (wl_output_get_version(screen->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(screen->output);
    else
        wl_output_destroy(screen->output);
    delete screen;
}

// An output that goes takes its own surface with it, and nothing else.
void removeOutput(WaylandRun* run, ScreenOutput* screen) {
    for (size_t i = 0; i < run->surfaces.size(); ++i) {
        if (run->surfaces[i]->screen == screen) {
            destroySaverSurface(run->surfaces[i]);
            run->surfaces.erase(run->surfaces.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    // The window of its own forgets it too, before the proxy's address can be
    // taken by an output that comes later.
    for (SaverSurface* surface : run->surfaces) {
        auto& entered = surface->enteredOutputs;
        entered.erase(std::remove(entered.begin(), entered.end(), screen->output), entered.end());
    }
    run->outputs.erase(std::find(run->outputs.begin(), run->outputs.end(), screen));
    releaseOutput(screen);
}

// --- the registry ----------------------------------------------------------

void shellPing(void*, xdg_wm_base* shell, uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
}

const xdg_wm_base_listener kShellListener = {shellPing};

void registryGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                    uint32_t version) {
    auto* run = static_cast<WaylandRun*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && run->compositor == nullptr) {
        // Version 3 has set_buffer_scale.
        run->compositorVersion = std::min<uint32_t>(version, 4);
        run->compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, run->compositorVersion));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && run->shell == nullptr) {
        run->shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(run->shell, &kShellListener, run);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 &&
               run->layerShell == nullptr) {
        // Versions 1 to 4 all have what the saver asks: the overlay layer, the
        // four anchors, exclusive_zone -1 and exclusive keyboard (1 from the first).
        run->layerShellVersion = std::min<uint32_t>(version, 4);
        run->layerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, run->layerShellVersion));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && run->shm == nullptr) {
        run->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && run->viewporter == nullptr) {
        run->viewporter =
            static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
               run->fractionalScaleManager == nullptr) {
        run->fractionalScaleManager = static_cast<wp_fractional_scale_manager_v1*>(
            wl_registry_bind(registry, name, &wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 &&
               run->outputManager == nullptr) {
        run->outputManager = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
            registry, name, &zxdg_output_manager_v1_interface, std::min<uint32_t>(version, 3)));
        // Outputs bound before the manager was announced get theirs now.
        for (ScreenOutput* screen : run->outputs)
            watchXdgOutput(run, screen);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 2) {
        addOutput(run, name, version);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        run->seats.push_back(bindSeat(run, name, version));
    }
}

void registryGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* run = static_cast<WaylandRun*>(data);
    const auto gone = std::find_if(run->outputs.begin(), run->outputs.end(),
                                   [name](const ScreenOutput* screen) { return screen->globalName == name; });
    if (gone != run->outputs.end()) {
        removeOutput(run, *gone);
        return;
    }
    for (size_t i = 0; i < run->seats.size(); ++i) {
        if (run->seats[i]->globalName == name) {
            releaseSeat(run->seats[i]);
            run->seats.erase(run->seats.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

const wl_registry_listener kRegistryListener = {registryGlobal, registryGlobalRemove};

} // namespace

bool bindGlobals(WaylandRun* run, std::string* error) {
    run->registry = wl_display_get_registry(run->display);
    wl_registry_add_listener(run->registry, &kRegistryListener, run);
    // The first round trip announces the globals; the second brings what the
    // outputs and xdg_outputs bound in the first say about themselves.
    for (int trip = 0; trip < 2; ++trip) {
        if (wl_display_roundtrip(run->display) < 0) {
            *error = "the Wayland compositor closed the connection at once";
            return false;
        }
    }
    if (run->compositor == nullptr || run->shell == nullptr) {
        *error = "the Wayland compositor offers no wl_compositor and xdg_wm_base (xdg-shell)";
        return false;
    }
    return true;
}

void outputLogicalSize(const ScreenOutput& screen, int32_t* width, int32_t* height) {
    if (screen.logicalWidth > 0 && screen.logicalHeight > 0) {
        *width = screen.logicalWidth;
        *height = screen.logicalHeight;
        return;
    }
    // The mode is in the panel's own orientation; a quarter turn swaps it.
    const bool quarterTurn = (screen.transform & 1) != 0;
    const int32_t scale = screen.scale > 0 ? screen.scale : 1;
    *width = (quarterTurn ? screen.modeHeight : screen.modeWidth) / scale;
    *height = (quarterTurn ? screen.modeWidth : screen.modeHeight) / scale;
}

bool makeClearPixel(WaylandRun* run) {
    if (run->shm == nullptr)
        return false;
    // One pixel, all four bytes 0: transparent in ARGB8888, which every compositor takes.
    const int fd = memfd_create("zellik-clear-pixel", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    if (ftruncate(fd, 4) == 0) {
        wl_shm_pool* pool = wl_shm_create_pool(run->shm, fd, 4);
        run->clearPixel = wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
    }
    close(fd);
    return run->clearPixel != nullptr;
}

void releaseGlobals(WaylandRun* run) {
    for (SaverSeat* seat : run->seats)
        releaseSeat(seat);
    run->seats.clear();
    for (ScreenOutput* screen : run->outputs)
        releaseOutput(screen);
    run->outputs.clear();
    if (run->outputManager != nullptr)
        zxdg_output_manager_v1_destroy(run->outputManager);
    if (run->fractionalScaleManager != nullptr)
        wp_fractional_scale_manager_v1_destroy(run->fractionalScaleManager);
    if (run->viewporter != nullptr)
        wp_viewporter_destroy(run->viewporter);
    if (run->shell != nullptr)
        xdg_wm_base_destroy(run->shell);
    // The layer shell has a destroy request from version 3; before, the proxy goes alone.
    if (run->layerShell != nullptr && run->layerShellVersion >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(run->layerShell);
    else if (run->layerShell != nullptr)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(run->layerShell));
    if (run->clearPixel != nullptr)
        wl_buffer_destroy(run->clearPixel);
    if (run->shm != nullptr)
        wl_shm_destroy(run->shm);
    if (run->compositor != nullptr)
        wl_compositor_destroy(run->compositor);
    if (run->registry != nullptr)
        wl_registry_destroy(run->registry);
    run->outputManager = nullptr;
    run->fractionalScaleManager = nullptr;
    run->viewporter = nullptr;
    run->shell = nullptr;
    run->layerShell = nullptr;
    run->clearPixel = nullptr;
    run->shm = nullptr;
    run->compositor = nullptr;
    run->registry = nullptr;
}
