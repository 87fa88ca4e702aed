#include "host/wayland/seat_input.h"
#include "host/common/close_rules.h"
#include "host/linux/close_request.h"
#include "host/linux/stop_signals.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

namespace {

SaverSurface* ourSurface(const WaylandRun* run, const wl_surface* surface) {
    const auto found =
        std::find_if(run->surfaces.begin(), run->surfaces.end(), [surface](const SaverSurface* s) {
            return s->surface == surface || s->layerBase == surface;
        });
    return found != run->surfaces.end() ? *found : nullptr;
}

// Surface coordinates made screen coordinates: a full-screen surface starts
// at its output's position.
ScreenPoint screenPoint(const SaverSurface* surface, wl_fixed_t x, wl_fixed_t y) {
    const int32_t left = surface->screen != nullptr ? surface->screen->x : 0;
    const int32_t top = surface->screen != nullptr ? surface->screen->y : 0;
    return ScreenPoint{left + wl_fixed_to_int(x), top + wl_fixed_to_int(y)};
}

void pointerMovedTo(SaverSeat* seat, wl_fixed_t x, wl_fixed_t y) {
    WaylandRun* run = seat->run;
    if (!run->fullScreen || seat->pointerSurface == nullptr || run->ended)
        return;
    const ScreenPoint at = screenPoint(seat->pointerSurface, x, y);
    noteInput(tickCount()); // the idle watcher's notice asks whether the saver saw input
    if (!run->pointerStartKnown) {
        // Wayland tells a client where the pointer is only once it enters
        // one of its surfaces: that point is the reference of the threshold.
        run->settings->startCursor = at;
        run->pointerStartKnown = true;
        return;
    }
    if (movedBeyondThreshold(*run->settings, at))
        closeOnInput(run);
}

// --- pointer ---------------------------------------------------------------

void pointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                  wl_fixed_t y) {
    auto* seat = static_cast<SaverSeat*>(data);
    seat->pointerSurface = ourSurface(seat->run, surface);
    if (seat->pointerSurface == nullptr || !seat->run->fullScreen)
        return;
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0); // hidden over the saver
    pointerMovedTo(seat, x, y);
}

void pointerLeave(void* data, wl_pointer*, uint32_t, wl_surface*) {
    static_cast<SaverSeat*>(data)->pointerSurface = nullptr;
}

void pointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    pointerMovedTo(static_cast<SaverSeat*>(data), x, y);
}

void pointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    auto* seat = static_cast<SaverSeat*>(data);
    if (seat->run->fullScreen && seat->pointerSurface != nullptr && state == WL_POINTER_BUTTON_STATE_PRESSED)
        closeOnInput(seat->run);
}

void pointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void pointerFrame(void*, wl_pointer*) {}
void pointerAxisSource(void*, wl_pointer*, uint32_t) {}
void pointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void pointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void pointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener kPointerListener = {
    pointerEnter, pointerLeave,      pointerMotion,   pointerButton,       pointerAxis,
    pointerFrame, pointerAxisSource, pointerAxisStop, pointerAxisDiscrete, pointerAxisValue120};

// --- keyboard --------------------------------------------------------------

void dropKeymap(SaverSeat* seat) {
    if (seat->keyState != nullptr)
        xkb_state_unref(seat->keyState);
    if (seat->keymap != nullptr)
        xkb_keymap_unref(seat->keymap);
    seat->keyState = nullptr;
    seat->keymap = nullptr;
}

// Only the window of its own reads the keymap: it closes on Escape and q,
// wherever the layout puts them. Full screen every key closes.
void keyboardKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    auto* seat = static_cast<SaverSeat*>(data);
    WaylandRun* run = seat->run;
    if (!run->fullScreen && format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && run->keyContext != nullptr) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            dropKeymap(seat);
            seat->keymap = xkb_keymap_new_from_string(run->keyContext, static_cast<const char*>(text),
                                                      XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
            if (seat->keymap != nullptr)
                seat->keyState = xkb_state_new(seat->keymap);
        }
    }
    close(fd);
}

void keyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
    auto* seat = static_cast<SaverSeat*>(data);
    SaverSurface* ours = ourSurface(seat->run, surface);
    if (ours == nullptr)
        return;
    ours->hasKeyboardFocus = true;
    seat->run->hadKeyboardFocus = true;
}

void keyboardLeave(void* data, wl_keyboard*, uint32_t, wl_surface* surface) {
    SaverSurface* ours = ourSurface(static_cast<SaverSeat*>(data)->run, surface);
    if (ours != nullptr)
        ours->hasKeyboardFocus = false;
}

void keyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    auto* seat = static_cast<SaverSeat*>(data);
    WaylandRun* run = seat->run;
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED)
        return;
    if (run->fullScreen) {
        closeOnInput(run);
        return;
    }
    if (seat->keyState == nullptr)
        return;
    // Wayland key codes are evdev codes; XKB numbers them from 8.
    const xkb_keysym_t symbol = xkb_state_key_get_one_sym(seat->keyState, key + 8);
    if (symbol == XKB_KEY_Escape || symbol == XKB_KEY_q || symbol == XKB_KEY_Q)
        run->ended = true;
}

void keyboardModifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                       uint32_t locked, uint32_t group) {
    auto* seat = static_cast<SaverSeat*>(data);
    if (seat->keyState != nullptr)
        xkb_state_update_mask(seat->keyState, depressed, latched, locked, 0, 0, group);
}

void keyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener kKeyboardListener = {keyboardKeymap, keyboardEnter,     keyboardLeave,
                                                keyboardKey,    keyboardModifiers, keyboardRepeat};

// --- touch -----------------------------------------------------------------

void touchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface* surface, int32_t, wl_fixed_t,
               wl_fixed_t) {
    auto* seat = static_cast<SaverSeat*>(data);
    if (seat->run->fullScreen && ourSurface(seat->run, surface) != nullptr)
        closeOnInput(seat->run);
}

void touchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void touchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void touchFrame(void*, wl_touch*) {}
void touchCancel(void*, wl_touch*) {}
void touchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void touchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}

const wl_touch_listener kTouchListener = {touchDown,   touchUp,    touchMotion,     touchFrame,
                                          touchCancel, touchShape, touchOrientation};

// --- the seat --------------------------------------------------------------

// Version 3 and later have the release requests.
void releasePointer(SaverSeat* seat) {
    if (seat->pointer == nullptr)
        return;
    if (wl_pointer_get_version(seat->pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(seat->pointer);
    else
        wl_pointer_destroy(seat->pointer);
    seat->pointer = nullptr;
    seat->pointerSurface = nullptr;
}

void releaseKeyboard(SaverSeat* seat) {
    if (seat->keyboard == nullptr)
        return;
    if (wl_keyboard_get_version(seat->keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(seat->keyboard);
    else
        wl_keyboard_destroy(seat->keyboard);
    seat->keyboard = nullptr;
    dropKeymap(seat);
}

void releaseTouch(SaverSeat* seat) {
    if (seat->touch == nullptr)
        return;
    if (wl_touch_get_version(seat->touch) >= WL_TOUCH_RELEASE_SINCE_VERSION)
        wl_touch_release(seat->touch);
    else
        wl_touch_destroy(seat->touch);
    seat->touch = nullptr;
}

void seatCapabilities(void* data, wl_seat* wlSeat, uint32_t capabilities) {
    auto* seat = static_cast<SaverSeat*>(data);
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool touch = (capabilities & WL_SEAT_CAPABILITY_TOUCH) != 0;
    if (pointer && seat->pointer == nullptr) {
        seat->pointer = wl_seat_get_pointer(wlSeat);
        wl_pointer_add_listener(seat->pointer, &kPointerListener, seat);
    } else if (!pointer) {
        releasePointer(seat);
    }
    if (keyboard && seat->keyboard == nullptr) {
        seat->keyboard = wl_seat_get_keyboard(wlSeat);
        wl_keyboard_add_listener(seat->keyboard, &kKeyboardListener, seat);
    } else if (!keyboard) {
        releaseKeyboard(seat);
    }
    if (touch && seat->touch == nullptr) {
        seat->touch = wl_seat_get_touch(wlSeat);
        wl_touch_add_listener(seat->touch, &kTouchListener, seat);
    } else if (!touch) {
        releaseTouch(seat);
    }
}

void seatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {seatCapabilities, seatName};

} // namespace

void closeOnInput(WaylandRun* run) {
    noteInput(tickCount());
    if (run->settings->checkingPassword == 0 && requestClose(run->settings, tickCount()))
        run->ended = true;
}

SaverSeat* bindSeat(WaylandRun* run, uint32_t name, uint32_t version) {
    auto* seat = new SaverSeat;
    seat->run = run;
    seat->globalName = name;
    // Version 5 has the release request; 7 maps the keymap privately.
    seat->seat = static_cast<wl_seat*>(
        wl_registry_bind(run->registry, name, &wl_seat_interface, std::min<uint32_t>(version, 7)));
    wl_seat_add_listener(seat->seat, &kSeatListener, seat);
    return seat;
}

void releaseSeat(SaverSeat* seat) {
    releasePointer(seat);
    releaseKeyboard(seat);
    releaseTouch(seat);
    if (wl_seat_get_version(seat->seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(seat->seat);
    else
        wl_seat_destroy(seat->seat);
    delete seat;
}

void forgetSurface(WaylandRun* run, SaverSurface* surface) {
    for (SaverSeat* seat : run->seats) {
        if (seat->pointerSurface == surface)
            seat->pointerSurface = nullptr;
    }
    // The keyboard follows the compositor's choice once this surface is
    // gone; that move is not the user leaving the saver.
    if (surface->hasKeyboardFocus)
        run->hadKeyboardFocus = false;
}

void checkKeyboardFocus(WaylandRun* run) {
    if (!run->fullScreen || !run->hadKeyboardFocus || run->ended)
        return;
    const bool focused = std::any_of(run->surfaces.begin(), run->surfaces.end(),
                                     [](const SaverSurface* s) { return s->hasKeyboardFocus; });
    if (!focused)
        closeOnInput(run);
}
