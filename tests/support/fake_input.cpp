// zellik-fake-input [to X Y | key CODE | click]...: a user's hands for the tests, through KDE's
// org_kde_kwin_fake_input (KWin lets ordinary clients use it with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1):
// the pointer to X, Y in the compositor's space, an evdev key (30 is A) or the left button pressed and
// released. With no action it holds its device, prints "ready" and stays until a signal: KWin gives the
// seat a pointer only while some input device has one, and a client binds its wl_pointer only after the
// seat says so, too late for a short-lived device's motion.
// Exit status: 0 once the compositor has had every action, 1 without fake input, 2 on a bad command line.
#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

org_kde_kwin_fake_input* gInput = nullptr;
uint32_t gVersion = 0;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && gInput == nullptr) {
        gVersion = std::min(version, 4u); // 3: absolute motion, 4: keys
        gInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, gVersion));
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

int number(const char* text) {
    char* end = nullptr;
    const long value = text != nullptr ? std::strtol(text, &end, 10) : 0;
    return end != nullptr && end != text && *end == '\0' ? static_cast<int>(value) : -1;
}

// The action at argv[i], sent; how many words it took, 0 when it is not understood.
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

} // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display != nullptr) {
        wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
        wl_display_roundtrip(display);
    }
    if (gInput == nullptr) {
        std::fprintf(stderr, "zellik-fake-input: no compositor with org_kde_kwin_fake_input\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(gInput, "zellik tests", "input for the end-to-end tests");
    if (argc == 1) {
        wl_display_roundtrip(display);
        std::puts("ready");
        std::fflush(stdout);
        while (wl_display_dispatch(display) >= 0) {
        }
        return 0;
    }
    for (int i = 1, taken = 0; i < argc; i += taken) {
        taken = act(display, argv, i);
        if (taken == 0) {
            std::fprintf(stderr, "zellik-fake-input: cannot do '%s' (fake input version %u)\n", argv[i],
                         gVersion);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
    }
    wl_display_disconnect(display);
    return 0;
}
