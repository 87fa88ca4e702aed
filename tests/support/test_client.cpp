// zellik-test-client MODE: a user's program (in green) or hands for the Wayland tests. Prints "ready" once
// set up (every surface with its first buffer), then runs until a signal; 2 when the compositor lacks MODE.
//   fullscreen  a toplevel (app_id zellik-test-client) that makes itself full screen and prints
//               "configure W H STATES" (fullscreen, activated) for each configure the compositor sends
//   inhibit     the same toplevel holding an idle inhibitor, as a playing video does
//   overlay     a surface over all of each output's overlay layer that takes no keyboard
//   pointer     a device in the seat through wlroots' virtual pointer (declared here: its XML is not
//               packaged): a seat without one hands clients no wl_pointer for `swaymsg seat seat0 cursor`
//   input [to X Y | key CODE | click]...  KDE's org_kde_kwin_fake_input (KWin lets ordinary clients use it
//               with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1): the pointer to X, Y, an evdev key (30 is A) or
//               the left button pressed and released, then exit 0. With no action it holds its device: KWin
//               gives the seat a pointer only while some device has one.
//   remote-desktop  a session of mutter's remote-desktop interface (input that counts as the user's; it lives
//               as long as this connection): each line "key" on stdin presses and releases A, then prints
//               "done" or "failed"; ends at end of input.
//   power-manager fdo|kde held|free  a stand-in for a power manager on the session bus, whose answer is
//               true (a player holds an inhibitor) or false: fdo, org.freedesktop.PowerManagement.Inhibit's
//               HasInhibit (Xfce's); kde, KDE's policy agent's HasInhibition, true only when asked about
//               screen settings (4), the kind org.freedesktop.ScreenSaver's inhibitors are. Ready once it
//               owns the name.
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
#ifdef ZELLIK_FAKE_INPUT
#include "fake-input-client-protocol.h"
#endif

#include <gio/gio.h>
#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
wl_seat* gSeat = nullptr;
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 0, nullptr, 0, nullptr}; // none sent
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes}};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, kManagerRequests, 0, nullptr};
wl_proxy* gPointers = nullptr;
#ifdef ZELLIK_FAKE_INPUT
org_kde_kwin_fake_input* gInput = nullptr;
uint32_t gVersion = 0;

int number(const char* text) {
    char* end = nullptr;
    const long value = text != nullptr ? std::strtol(text, &end, 10) : 0;
    return end != nullptr && end != text && *end == '\0' ? static_cast<int>(value) : -1;
}

// The fake-input action at argv[i], sent; how many words it took, 0 when it is not understood.
int act(wl_display* display, char** argv, int i) {
    const int a = number(argv[i + 1]);
    const int b = a >= 0 ? number(argv[i + 2]) : -1;
    if (std::strcmp(argv[i], "to") == 0 && b >= 0 && gVersion >= 3) {
        org_kde_kwin_fake_input_pointer_motion_absolute(gInput, wl_fixed_from_int(a), wl_fixed_from_int(b));
        return 3;
    }
    const bool key = std::strcmp(argv[i], "key") == 0 && a >= 0 && gVersion >= 4;
    if (!key && std::strcmp(argv[i], "click") != 0)
        return 0;
    for (uint32_t pressed : {1u, 0u}) {
        if (key)
            org_kde_kwin_fake_input_keyboard_key(gInput, static_cast<uint32_t>(a), pressed);
        else
            org_kde_kwin_fake_input_button(gInput, 0x110, pressed); // BTN_LEFT
        wl_display_roundtrip(display);
    }
    return key ? 2 : 1;
}
#endif

template <typename T>
T* bind(wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t version) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
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
    else if (is == wl_seat_interface.name && gSeat == nullptr)
        gSeat = bind<wl_seat>(registry, name, wl_seat_interface, 1);
    else if (is == kManagerInterface.name)
        gPointers = bind<wl_proxy>(registry, name, kManagerInterface, 1);
#ifdef ZELLIK_FAKE_INPUT
    else if (is == org_kde_kwin_fake_input_interface.name && gInput == nullptr)
        gInput =
            bind<org_kde_kwin_fake_input>(registry, name, org_kde_kwin_fake_input_interface,
                                          gVersion = std::min(version, 4u)); // 3: absolute motion, 4: keys
#endif
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

const char kRemoteDesktop[] = "org.gnome.Mutter.RemoteDesktop";

bool call(GDBusConnection* bus, const char* path, const char* interface, const char* method,
          GVariant* parameters, GVariant** reply) {
    GError* error = nullptr;
    GVariant* result = g_dbus_connection_call_sync(bus, kRemoteDesktop, path, interface, method, parameters,
                                                   nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (result == nullptr) {
        std::fprintf(stderr, "zellik-test-client: %s: %s\n", method, error->message);
        g_error_free(error);
        return false;
    }
    if (reply != nullptr)
        *reply = result;
    else
        g_variant_unref(result);
    return true;
}

int remoteDesktop() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* reply = nullptr;
    const char* path = nullptr;
    const char* session = "org.gnome.Mutter.RemoteDesktop.Session";
    if (bus == nullptr ||
        !call(bus, "/org/gnome/Mutter/RemoteDesktop", kRemoteDesktop, "CreateSession", nullptr, &reply))
        return 1;
    g_variant_get(reply, "(&o)", &path);
    if (!call(bus, path, session, "Start", nullptr, nullptr))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (char line[64]; std::fgets(line, sizeof line, stdin) != nullptr; std::fflush(stdout)) {
        const auto key = [&](gboolean pressed) {
            return call(bus, path, session, "NotifyKeyboardKeycode", g_variant_new("(ub)", 30u, pressed),
                        nullptr);
        };
        std::puts(std::strncmp(line, "key", 3) != 0 || (key(TRUE) && key(FALSE)) ? "done" : "failed");
    }
    return 0;
}

const char kPowerManagerXml[] = "<node><interface name='org.freedesktop.PowerManagement.Inhibit'>"
                                "<method name='HasInhibit'><arg type='b' direction='out'/></method>"
                                "</interface><interface name='org.kde.Solid.PowerManagement.PolicyAgent'>"
                                "<method name='HasInhibition'><arg type='u' direction='in'/>"
                                "<arg type='b' direction='out'/></method></interface></node>";

void onPowerManagerCall(GDBusConnection*, const char*, const char*, const char*, const char*,
                        GVariant* parameters, GDBusMethodInvocation* invocation, gpointer held) {
    uint32_t types = 4;
    if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(u)")))
        g_variant_get(parameters, "(u)", &types);
    g_dbus_method_invocation_return_value(invocation,
                                          g_variant_new("(b)", held != nullptr && (types & 4) != 0));
}

void onPowerManagerName(GDBusConnection*, const char*, gpointer) {
    std::puts("ready");
    std::fflush(stdout);
}

int powerManager(bool kde, bool held) {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kPowerManagerXml, nullptr);
    const GDBusInterfaceVTable vtable = {onPowerManagerCall, nullptr, nullptr, {}};
    const char* path =
        kde ? "/org/kde/Solid/PowerManagement/PolicyAgent" : "/org/freedesktop/PowerManagement/Inhibit";
    if (bus == nullptr || node == nullptr ||
        g_dbus_connection_register_object(bus, path, node->interfaces[kde ? 1 : 0], &vtable,
                                          held ? bus : nullptr, nullptr, nullptr) == 0)
        return 1;
    g_bus_own_name_on_connection(
        bus, kde ? "org.kde.Solid.PowerManagement.PolicyAgent" : "org.freedesktop.PowerManagement",
        G_BUS_NAME_OWNER_FLAGS_NONE, onPowerManagerName, nullptr, nullptr, nullptr);
    g_main_loop_run(g_main_loop_new(nullptr, FALSE));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (mode == "remote-desktop")
        return remoteDesktop();
    if (mode == "power-manager" && argc == 4)
        return powerManager(std::strcmp(argv[2], "kde") == 0, std::strcmp(argv[3], "held") == 0);
    wl_display* display = wl_display_connect(nullptr);
    if (display != nullptr) {
        wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
        wl_display_roundtrip(display);
    }
    const bool overlay = mode == "overlay", inhibit = mode == "inhibit", input = mode == "input";
    bool offered = (overlay || inhibit || mode == "fullscreen") && gCompositor != nullptr &&
                   gShm != nullptr && (overlay ? gLayerShell != nullptr : gShell != nullptr) &&
                   (!inhibit || gInhibitor != nullptr);
    if (mode == "pointer" && gPointers != nullptr)
        offered = wl_proxy_marshal_constructor(gPointers, 0, &kPointerInterface, gSeat, nullptr) != nullptr;
#ifdef ZELLIK_FAKE_INPUT
    if (input && gInput != nullptr) {
        offered = true;
        org_kde_kwin_fake_input_authenticate(gInput, "zellik tests", "input for the end-to-end tests");
        for (int i = 2, taken = 0; i < argc; i += taken)
            if ((taken = act(display, argv, i)) == 0 || wl_display_roundtrip(display) < 0)
                return 2;
        if (argc > 2)
            return 0;
    }
#endif
    if (!offered || (argc > 2 && !input)) {
        std::fprintf(stderr,
                     "usage: zellik-test-client fullscreen|inhibit|overlay|pointer|remote-desktop|input "
                     "[to X Y|key CODE|click]..., on a compositor that offers it, or "
                     "power-manager fdo|kde held|free\n");
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
    if (inhibit || mode == "fullscreen") {
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
    do {
        if (!ready && std::all_of(gShown.begin(), gShown.end(), [](const Shown* s) { return s->drawn; })) {
            wl_display_roundtrip(display);
            std::puts("ready");
            std::fflush(stdout);
            ready = true;
        }
    } while (wl_display_dispatch(display) >= 0);
    return 0;
}
