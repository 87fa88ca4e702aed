// The two Wayland idle sources on one connection: ext_idle_notifier_v1
// (sway >= 1.8, KWin, Hyprland, labwc, niri, COSMIC) and KDE's
// org_kde_kwin_idle (KWin, sway 1.7). Each gives a notification per idle
// time with an "idle" and a "resumed" event, which reach the watcher
// through notify.
#pragma once
#include "host/idle/idle_rules.h"

#include <cstdint>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

using IdleNotify = void (*)(void* user, IdleEvent event);

struct ExtIdleSource {
    ext_idle_notifier_v1* notifier = nullptr;
    ext_idle_notification_v1* notification = nullptr;
};

struct KdeIdleSource {
    org_kde_kwin_idle* manager = nullptr;
    org_kde_kwin_idle_timeout* timeout = nullptr;
};

struct WaylandIdle {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr; // the first seat: a session's input is on it
    ExtIdleSource ext;
    KdeIdleSource kde;
    IdleSourceKind armed = IdleSourceKind::None;
    IdleNotify notify = nullptr;
    void* user = nullptr;
};

// Connects to $WAYLAND_DISPLAY and learns its globals; false (nothing held)
// when there is no compositor to connect to.
bool connectWaylandIdle(WaylandIdle* idle);
// Replaces any notification with one of kind for milliseconds of idleness.
// False when the connection has failed.
bool armWaylandIdle(WaylandIdle* idle, IdleSourceKind kind, uint32_t milliseconds);
// Reads and handles what the compositor sent; false once the connection is lost.
bool dispatchWaylandIdle(WaylandIdle* idle);
void closeWaylandIdle(WaylandIdle* idle);
