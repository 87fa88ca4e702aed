// zellik-test-client fullscreen|inhibit|overlay: a user's program beside the saver, in green, for the Wayland
// tests.
//   fullscreen  a toplevel (app_id zellik-test-client) that makes itself full screen and prints
//               "configure W H STATES" (fullscreen, activated) for each configure the compositor sends
//   inhibit     the same toplevel holding an idle inhibitor, as a playing video does
//   overlay     a surface over all of each output's overlay layer that takes no keyboard
// Prints "ready" once every surface has its first buffer; runs until a signal.
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Shown {
    wl_surface* surface = nullptr;
    int32_t width = 640, height = 480;
    bool drawn = false;
};

wl_compositor* gCompositor = nullptr;
wl_shm* gShm = nullptr;
xdg_wm_base* gShell = nullptr;
zwlr_layer_shell_v1* gLayerShell = nullptr;
zwp_idle_inhibit_manager_v1* gInhibitor = nullptr;
std::vector<wl_output*> gOutputs;
std::vector<Shown*> gShown;

template <typename T>
T* bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t version) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    const std::string is = interface;
    if (is == wl_compositor_interface.name)
        gCompositor = bind<wl_compositor>(registry, name, wl_compositor_interface, 4);
    else if (is == wl_shm_interface.name)
        gShm = bind<wl_shm>(registry, name, wl_shm_interface, 1);
    else if (is == xdg_wm_base_interface.name)
        gShell = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, 1);
    else if (is == zwlr_layer_shell_v1_interface.name)
        gLayerShell = bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, 1);
    else if (is == zwp_idle_inhibit_manager_v1_interface.name)
        gInhibitor =
            bind<zwp_idle_inhibit_manager_v1>(registry, name, zwp_idle_inhibit_manager_v1_interface, 1);
    else if (is == wl_output_interface.name)
        gOutputs.push_back(bind<wl_output>(registry, name, wl_output_interface, 1));
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

void ping(void*, xdg_wm_base* shell, uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
}
const xdg_wm_base_listener kShellListener = {ping};

// A green buffer of the surface's size, attached and committed.
void draw(Shown* shown) {
    const int32_t stride = shown->width * 4;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(shown->height);
    const int fd = memfd_create("zellik-test-client", MFD_CLOEXEC);
    void* pixels = fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0
                       ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                       : MAP_FAILED;
    if (pixels != MAP_FAILED) {
        std::fill_n(static_cast<uint32_t*>(pixels), size / 4, 0xff00ff00u);
        munmap(pixels, size);
        wl_shm_pool* pool = wl_shm_create_pool(gShm, fd, static_cast<int32_t>(size));
        wl_surface_attach(
            shown->surface,
            wl_shm_pool_create_buffer(pool, 0, shown->width, shown->height, stride, WL_SHM_FORMAT_XRGB8888),
            0, 0);
        wl_shm_pool_destroy(pool);
        wl_surface_damage(shown->surface, 0, 0, shown->width, shown->height);
    }
    if (fd >= 0)
        close(fd);
    wl_surface_commit(shown->surface);
    shown->drawn = true;
}

void sized(Shown* shown, int32_t width, int32_t height) {
    if (width > 0 && height > 0) {
        shown->width = width;
        shown->height = height;
    }
}

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array* states) {
    std::string said;
    const auto* state = static_cast<const uint32_t*>(states->data);
    for (size_t i = 0; i < states->size / sizeof *state; ++i) {
        if (state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN)
            said += " fullscreen";
        else if (state[i] == XDG_TOPLEVEL_STATE_ACTIVATED)
            said += " activated";
    }
    std::printf("configure %d %d%s\n", width, height, said.c_str());
    std::fflush(stdout);
    sized(static_cast<Shown*>(data), width, height);
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
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    sized(static_cast<Shown*>(data), static_cast<int32_t>(width), static_cast<int32_t>(height));
    draw(static_cast<Shown*>(data));
}
void layerClosed(void*, zwlr_layer_surface_v1*) {}
const zwlr_layer_surface_v1_listener kLayerListener = {layerConfigure, layerClosed};

Shown* newShown() {
    gShown.push_back(new Shown);
    gShown.back()->surface = wl_compositor_create_surface(gCompositor);
    return gShown.back();
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 2 ? argv[1] : "";
    wl_display* display = wl_display_connect(nullptr);
    if (display != nullptr) {
        wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
        wl_display_roundtrip(display);
    }
    const bool overlay = mode == "overlay", inhibit = mode == "inhibit";
    if ((!overlay && !inhibit && mode != "fullscreen") || gCompositor == nullptr || gShm == nullptr ||
        (overlay ? gLayerShell == nullptr : gShell == nullptr) || (inhibit && gInhibitor == nullptr)) {
        std::fprintf(
            stderr, "usage: zellik-test-client fullscreen|inhibit|overlay, on a compositor that offers it\n");
        return 2;
    }
    for (wl_output* output : overlay ? gOutputs : std::vector<wl_output*>{}) {
        Shown* shown = newShown();
        zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
            gLayerShell, shown->surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "zellik-test-client");
        zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, shown);
        zwlr_layer_surface_v1_set_anchor(layer, 15); // all four edges
        zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
        wl_surface_commit(shown->surface);
    }
    if (!overlay) {
        xdg_wm_base_add_listener(gShell, &kShellListener, nullptr);
        Shown* shown = newShown();
        xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(gShell, shown->surface);
        xdg_surface_add_listener(shellSurface, &kSurfaceListener, shown);
        xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
        xdg_toplevel_add_listener(toplevel, &kToplevelListener, shown);
        xdg_toplevel_set_app_id(toplevel, "zellik-test-client");
        xdg_toplevel_set_fullscreen(toplevel, nullptr);
        if (inhibit)
            zwp_idle_inhibit_manager_v1_create_inhibitor(gInhibitor, shown->surface);
        wl_surface_commit(shown->surface);
    }
    bool ready = false;
    while (wl_display_dispatch(display) >= 0) {
        if (!ready && std::all_of(gShown.begin(), gShown.end(), [](const Shown* s) { return s->drawn; })) {
            wl_display_roundtrip(display);
            std::puts("ready");
            std::fflush(stdout);
            ready = true;
        }
    }
    return 0;
}
