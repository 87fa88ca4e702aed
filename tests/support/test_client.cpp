// zellik-test-client fullscreen|overlay: a user's program for the Wayland
// tests, in one solid colour (green) from shared memory.
//   fullscreen  an xdg toplevel (app_id zellik-test-client) that makes itself
//               full screen; prints "configure W H STATES" for every toplevel
//               configure (states: fullscreen, activated), so a test sees what
//               the compositor tells it, on any compositor
//   overlay     a surface on every output's overlay layer, anchored to all
//               edges, that takes no keyboard (a panel or a notification)
// Prints "ready" once every surface has its first buffer; runs until a signal.
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kGreen = 0xff00ff00;

struct Shown {
    wl_surface* surface = nullptr;
    wl_buffer* buffer = nullptr;
    int32_t width = 0, height = 0;
    bool drawn = false;
};

wl_compositor* gCompositor = nullptr;
wl_shm* gShm = nullptr;
xdg_wm_base* gShell = nullptr;
zwlr_layer_shell_v1* gLayerShell = nullptr;
std::vector<wl_output*> gOutputs;
std::vector<Shown*> gShown;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        gCompositor =
            static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        gShm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
        gShell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
        gLayerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0)
        gOutputs.push_back(
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

void ping(void*, xdg_wm_base* shell, uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
}
const xdg_wm_base_listener kShellListener = {ping};

// A buffer of the surface's size in green, attached and committed.
void draw(Shown* shown) {
    const int32_t width = shown->width > 0 ? shown->width : 640;
    const int32_t height = shown->height > 0 ? shown->height : 480;
    const int32_t stride = width * 4;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    const int fd = memfd_create("zellik-test-client", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0)
        return;
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels != MAP_FAILED) {
        std::vector<uint32_t> row(static_cast<size_t>(width), kGreen);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(static_cast<char*>(pixels) + static_cast<size_t>(y) * static_cast<size_t>(stride),
                        row.data(), static_cast<size_t>(stride));
        munmap(pixels, size);
        wl_shm_pool* pool = wl_shm_create_pool(gShm, fd, static_cast<int32_t>(size));
        if (shown->buffer != nullptr)
            wl_buffer_destroy(shown->buffer);
        shown->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        wl_surface_attach(shown->surface, shown->buffer, 0, 0);
        wl_surface_damage(shown->surface, 0, 0, width, height);
    }
    close(fd);
    wl_surface_commit(shown->surface);
    shown->drawn = true;
}

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array* states) {
    auto* shown = static_cast<Shown*>(data);
    std::string said;
    for (const auto* state = static_cast<const uint32_t*>(states->data);
         reinterpret_cast<const char*>(state) < static_cast<const char*>(states->data) + states->size;
         ++state) {
        if (*state == XDG_TOPLEVEL_STATE_FULLSCREEN)
            said += " fullscreen";
        else if (*state == XDG_TOPLEVEL_STATE_ACTIVATED)
            said += " activated";
    }
    std::printf("configure %d %d%s\n", width, height, said.c_str());
    std::fflush(stdout);
    shown->width = width;
    shown->height = height;
}
void toplevelClose(void*, xdg_toplevel*) {}
void toplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void toplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener = {toplevelConfigure, toplevelClose, toplevelBounds,
                                                 toplevelCapabilities};

void surfaceConfigure(void* data, xdg_surface* shellSurface, uint32_t serial) {
    xdg_surface_ack_configure(shellSurface, serial);
    draw(static_cast<Shown*>(data));
}
const xdg_surface_listener kSurfaceListener = {surfaceConfigure};

void layerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                    uint32_t height) {
    auto* shown = static_cast<Shown*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    shown->width = static_cast<int32_t>(width);
    shown->height = static_cast<int32_t>(height);
    draw(shown);
}
void layerClosed(void*, zwlr_layer_surface_v1*) {}
const zwlr_layer_surface_v1_listener kLayerListener = {layerConfigure, layerClosed};

Shown* newShown() {
    auto* shown = new Shown;
    shown->surface = wl_compositor_create_surface(gCompositor);
    gShown.push_back(shown);
    return shown;
}

} // namespace

int main(int argc, char** argv) {
    const bool overlay = argc == 2 && std::strcmp(argv[1], "overlay") == 0;
    if (argc != 2 || (!overlay && std::strcmp(argv[1], "fullscreen") != 0)) {
        std::fprintf(stderr, "usage: zellik-test-client fullscreen|overlay\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return 1;
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
    wl_display_roundtrip(display);
    if (gCompositor == nullptr || gShm == nullptr || (overlay ? gLayerShell == nullptr : gShell == nullptr)) {
        std::fprintf(stderr, "zellik-test-client: the compositor lacks what %s needs\n", argv[1]);
        return 1;
    }
    if (overlay) {
        for (wl_output* output : gOutputs) {
            Shown* shown = newShown();
            zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
                gLayerShell, shown->surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zellik-test-client");
            zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, shown);
            zwlr_layer_surface_v1_set_anchor(layer, 15); // all four edges
            zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
            wl_surface_commit(shown->surface);
        }
    } else {
        xdg_wm_base_add_listener(gShell, &kShellListener, nullptr);
        Shown* shown = newShown();
        xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(gShell, shown->surface);
        xdg_surface_add_listener(shellSurface, &kSurfaceListener, shown);
        xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
        xdg_toplevel_add_listener(toplevel, &kToplevelListener, shown);
        xdg_toplevel_set_app_id(toplevel, "zellik-test-client");
        xdg_toplevel_set_title(toplevel, "zellik-test-client");
        xdg_toplevel_set_fullscreen(toplevel, nullptr);
        wl_surface_commit(shown->surface);
    }
    bool ready = false;
    while (wl_display_dispatch(display) >= 0) {
        bool drawn = true;
        for (const Shown* shown : gShown)
            drawn = drawn && shown->drawn;
        if (drawn && !ready) {
            wl_display_roundtrip(display);
            std::puts("ready");
            std::fflush(stdout);
            ready = true;
        }
    }
    return 0;
}
