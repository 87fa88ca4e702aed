// GNOME's idle source: org.gnome.Mutter.IdleMonitor on the session bus
// (mutter, on Wayland and on X11). An idle watch fires each time the user has
// been idle that long; a user-active watch fires once, at the next input, so
// one is added after each idle. Watches belong to this connection and end
// with it. GNOME has neither Wayland idle protocol.
#pragma once
#include "host/idle/idle_rules.h"
#include "host/idle/wayland_idle.h"

#include <cstdint>

typedef struct _GDBusConnection GDBusConnection;

struct MutterIdle {
    GDBusConnection* bus = nullptr;
    unsigned signal = 0;    // the WatchFired subscription
    unsigned nameWatch = 0; // org.gnome.Mutter.IdleMonitor's owner
    unsigned closed = 0;    // the connection's "closed" handler
    uint32_t idleWatch = 0, activeWatch = 0;
    IdleNotify notify = nullptr;
    void* user = nullptr;
};

// Connects to the session bus and asks the monitor for the idle time once;
// false (nothing held) when there is no bus or no mutter on it.
bool connectMutterIdle(MutterIdle* idle);
// Replaces the idle watch with one of milliseconds. False when the call fails.
bool armMutterIdle(MutterIdle* idle, uint32_t milliseconds);
void closeMutterIdle(MutterIdle* idle);
