// zellik-test-pointer: a pointer device for a headless compositor's seat while
// it runs (a seat without one hands clients no wl_pointer), so that `swaymsg
// seat seat0 cursor set X Y` and `... cursor press button1` reach the saver.
// Binds wlroots' virtual-pointer manager, declared here (its XML is not
// packaged). Prints "ready"; the device goes with the connection, when a
// signal ends this process or the compositor ends.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

namespace {

const wl_interface kPointerInterface = {"zwlr_virtual_pointer_v1", 1, 0, nullptr, 0, nullptr}; // none sent
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointerInterface};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes}};
const wl_interface kManagerInterface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, kManagerRequests, 0, nullptr};

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

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (display != nullptr) {
        wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
        wl_display_roundtrip(display);
    }
    if (gManager == nullptr) {
        std::fprintf(stderr, "zellik-test-pointer: no compositor with zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    wl_proxy_marshal_constructor(gManager, 0, &kPointerInterface, gSeat, nullptr);
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
