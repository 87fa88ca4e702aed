// zellik-fake-input ACTION...: input into a compositor that offers KDE's
// org_kde_kwin_fake_input (KWin; ordinary clients only with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 in KWin's environment), as a user's
// hands would give it, for the tests. Actions, done in order:
//   move DX DY   the pointer by DX, DY logical pixels
//   to X Y       the pointer to X, Y in the compositor's global space (v3)
//   key CODE     a key (an evdev code: 30 is A) pressed and released (v4)
//   click [BTN]  a button (evdev code, 272 = left) pressed and released
//   sleep MS     a pause, for a compositor that merges events
// With no action it holds its device, prints "ready" and stays until a signal
// or the compositor's end: KWin gives the seat a pointer only while some
// input device has one, and a client binds its wl_pointer only after the seat
// says so, too late for the motion of a short-lived device.
// Exit status: 0 once the compositor has had every action, 1 when it offers
// no fake input, 2 on a bad command line.
#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr uint32_t kBindVersion = 4; // keyboard_key arrived in version 4
constexpr uint32_t kPressed = 1;     // wl_pointer / wl_keyboard state values
constexpr uint32_t kLeftButton = 0x110;

org_kde_kwin_fake_input* gInput = nullptr;
uint32_t gVersion = 0;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && gInput == nullptr) {
        gVersion = std::min(version, kBindVersion);
        gInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, gVersion));
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

bool number(const char* text, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0';
}

void pause(long ms) {
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&wait, nullptr);
}

// One action at argv[i]; returns how many words it took, 0 when it is not understood.
int act(wl_display* display, int argc, char** argv, int i) {
    long a = 0;
    long b = 0;
    const char* verb = argv[i];
    const bool two = i + 2 < argc && number(argv[i + 1], a) && number(argv[i + 2], b);
    const bool one = i + 1 < argc && number(argv[i + 1], a);
    if (std::strcmp(verb, "move") == 0 && two) {
        org_kde_kwin_fake_input_pointer_motion(gInput, wl_fixed_from_int(static_cast<int>(a)),
                                               wl_fixed_from_int(static_cast<int>(b)));
    } else if (std::strcmp(verb, "to") == 0 && two && gVersion >= 3) {
        org_kde_kwin_fake_input_pointer_motion_absolute(gInput, wl_fixed_from_int(static_cast<int>(a)),
                                                        wl_fixed_from_int(static_cast<int>(b)));
    } else if (std::strcmp(verb, "key") == 0 && one && gVersion >= 4) {
        org_kde_kwin_fake_input_keyboard_key(gInput, static_cast<uint32_t>(a), kPressed);
        wl_display_roundtrip(display);
        org_kde_kwin_fake_input_keyboard_key(gInput, static_cast<uint32_t>(a), 0);
    } else if (std::strcmp(verb, "click") == 0) {
        const uint32_t button = one ? static_cast<uint32_t>(a) : kLeftButton;
        org_kde_kwin_fake_input_button(gInput, button, kPressed);
        wl_display_roundtrip(display);
        org_kde_kwin_fake_input_button(gInput, button, 0);
        return one ? 2 : 1;
    } else if (std::strcmp(verb, "sleep") == 0 && one) {
        pause(a);
        return 2;
    } else {
        return 0;
    }
    return two ? 3 : 2;
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
    for (int i = 1; i < argc;) {
        const int taken = act(display, argc, argv, i);
        if (taken == 0) {
            std::fprintf(stderr, "zellik-fake-input: cannot do '%s' (fake input version %u)\n", argv[i],
                         gVersion);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
        i += taken;
    }
    wl_display_disconnect(display);
    return 0;
}
