// An X11 session's idle source (Plasma on X11, Cinnamon, Xfce without its
// saver, i3, Openbox): the X server's own idle time, the SYNC extension's
// IDLETIME system counter. Two alarms and no polling: one fires as the idle
// time rises through the idle period (Idle), one as it drops back below it
// (Active: input, or a player's XResetScreenSaver). Before an Idle goes to
// the watcher, the session's power manager is asked on the bus whether a
// program holds the saver off (KDE's policy agent, which also counts
// org.freedesktop.ScreenSaver's inhibitors; else
// org.freedesktop.PowerManagement.Inhibit, Xfce's); while one does, the next
// Idle comes a whole idle period later.
#pragma once
#include "host/idle/wayland_idle.h"

#include <cstdint>

struct _XDisplay;
typedef struct _GDBusConnection GDBusConnection;

struct X11Idle {
    _XDisplay* display = nullptr;
    unsigned long counter = 0; // IDLETIME
    unsigned long idleAlarm = 0, activeAlarm = 0;
    int syncEventBase = 0;
    uint32_t milliseconds = 0;      // the idle period armed
    bool deferred = false;          // the idle alarm is past the period: an inhibitor held it off
    bool lost = false;              // the X connection has failed
    GDBusConnection* bus = nullptr; // for the inhibitors; none without a session bus
    IdleNotify notify = nullptr;
    void* user = nullptr;
};

// Opens $DISPLAY and finds IDLETIME; false (nothing held) when there is no X
// display or it has no such counter.
bool connectX11Idle(X11Idle* idle);
int x11IdleFd(const X11Idle& idle);
// Sets both alarms for an idle period of milliseconds. False when the connection has failed.
bool armX11Idle(X11Idle* idle, uint32_t milliseconds);
// Handles what the server sent; false once the connection is lost.
bool dispatchX11Idle(X11Idle* idle);
void closeX11Idle(X11Idle* idle);
