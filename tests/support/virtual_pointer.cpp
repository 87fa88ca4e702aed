// zellik-test-pointer: gives a headless compositor's seat a pointer for as long
// as it runs. A seat without a pointer device hands its clients no wl_pointer,
// so a saver test would see no motion and no button; with this one held,
// `swaymsg seat seat0 cursor set X Y` and `... cursor press button1` reach the
// client under the cursor. Binds wlroots' virtual-pointer manager, whose two
// interfaces are declared here (the protocol's XML is not packaged). Prints
// "ready" once the compositor has the device; ends on SIGTERM or SIGINT, or
// with the compositor.
#include <wayland-client.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>

namespace {

extern const wl_interface kPointerInterface;
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes},
                                       {"destroy", "", nullptr}};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};
// The device's requests in protocol order; only the last (destroy) is sent.
const wl_message kPointerRequests[] = {{"motion", "uff", nullptr},   {"motion_absolute", "uuuuu", nullptr},
                                       {"button", "uuu", nullptr},   {"axis", "uuf", nullptr},
                                       {"frame", "", nullptr},       {"axis_source", "u", nullptr},
                                       {"axis_stop", "uu", nullptr}, {"axis_discrete", "uufi", nullptr},
                                       {"destroy", "", nullptr}};
const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, kPointerRequests, 0, nullptr};
constexpr uint32_t kPointerDestroy = 8;

wl_proxy* gManager = nullptr;
wl_seat* gSeat = nullptr;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, kManagerInterface.name) == 0)
        gManager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && gSeat == nullptr)
        gSeat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {global, globalRemove};

volatile sig_atomic_t gStop = 0;
void onStop(int) {
    gStop = 1;
}

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "zellik-test-pointer: no Wayland compositor\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, nullptr);
    wl_display_roundtrip(display);
    if (gManager == nullptr) {
        std::fprintf(stderr, "zellik-test-pointer: the compositor has no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    auto* pointer = wl_proxy_marshal_constructor(gManager, 0, &kPointerInterface, gSeat, nullptr);
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);

    signal(SIGTERM, onStop);
    signal(SIGINT, onStop);
    pollfd watched{wl_display_get_fd(display), POLLIN, 0};
    while (!gStop && poll(&watched, 1, -1) >= 0) {
        if (wl_display_dispatch(display) < 0)
            break;
    }
    wl_proxy_marshal(pointer, kPointerDestroy);
    wl_proxy_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
