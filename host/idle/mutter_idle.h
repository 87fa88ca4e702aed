// GNOME's idle source: org.gnome.Mutter.IdleMonitor on the session bus
// (mutter, on Wayland and on X11). An idle watch fires each time the user has
// been idle that long; a user-active watch fires once, at the next input, so
// one is added after each idle. Watches belong to this connection and to the
// Mutter that made them: when another Mutter takes the name, they are added
// to it afresh. GNOME has neither Wayland idle protocol.
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
    // Between a Mutter leaving the bus and the next taking the name (a shell
    // restart on X11, a crash and restart) there is no monitor: the watches
    // went with the old one, and are added again on the new one.
    bool ownerGone = false;
    bool wantsActive = false; // a user-active watch was waiting when the owner left
    uint32_t idleMs = 0;      // the idle watch's time, for the next owner
    IdleNotify notify = nullptr;
    void* user = nullptr;
};

// Connects to the session bus and asks the monitor for the idle time once;
// false (nothing held) when there is no bus or no mutter on it.
bool connectMutterIdle(MutterIdle* idle);
// Replaces the idle watch with one of milliseconds (kept for a Mutter yet to
// come while none owns the name). False when the call fails.
bool armMutterIdle(MutterIdle* idle, uint32_t milliseconds);
void closeMutterIdle(MutterIdle* idle);
