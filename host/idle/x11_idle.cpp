#include "host/idle/x11_idle.h"

#include <gio/gio.h>

#include <X11/Xlib.h>
#include <X11/extensions/sync.h>

#include <cstdlib>
#include <cstring>

namespace {

// A stuck power manager must not hold the watcher up for long; without an
// answer the saver starts, as without a power manager.
constexpr int kInhibitCallTimeoutMs = 2000;

// The X server going away (the session's end) is no reason for Xlib to end
// the watcher: it marks the connection and the loop ends the saver first,
// quietly, as for a compositor that has gone.
int quietIOError(Display*) {
    return 0;
}
void onConnectionLost(Display*, void* data) {
    static_cast<X11Idle*>(data)->lost = true;
}

XSyncValue valueOf(uint64_t milliseconds) {
    XSyncValue value;
    XSyncIntsToValue(&value, static_cast<unsigned>(milliseconds & 0xFFFFFFFFu),
                     static_cast<int>(milliseconds >> 32));
    return value;
}

// An alarm on IDLETIME that fires as it crosses at in the direction test
// says, every time it does (a transition alarm stays active after firing).
void setAlarm(X11Idle* idle, unsigned long* alarm, int test, uint64_t at) {
    XSyncAlarmAttributes attributes{};
    attributes.trigger.counter = idle->counter;
    attributes.trigger.value_type = XSyncAbsolute;
    attributes.trigger.test_type = static_cast<XSyncTestType>(test);
    attributes.trigger.wait_value = valueOf(at);
    XSyncIntToValue(&attributes.delta, 0);
    attributes.events = True;
    const unsigned long mask =
        XSyncCACounter | XSyncCAValueType | XSyncCATestType | XSyncCAValue | XSyncCADelta | XSyncCAEvents;
    if (*alarm == 0)
        *alarm = XSyncCreateAlarm(idle->display, mask, &attributes);
    else
        XSyncChangeAlarm(idle->display, *alarm, mask, &attributes);
}

uint64_t idleTimeNow(X11Idle* idle) {
    XSyncValue value;
    if (!XSyncQueryCounter(idle->display, idle->counter, &value))
        return 0;
    return (static_cast<uint64_t>(static_cast<uint32_t>(XSyncValueHigh32(value))) << 32) |
           XSyncValueLow32(value);
}

// Asks one power manager whether an inhibitor is held: true or false, or
// -1 when it is not on the bus (or does not answer in time).
int askInhibited(GDBusConnection* bus, const char* name, const char* path, const char* interface,
                 const char* method, GVariant* parameters) {
    GVariant* reply =
        g_dbus_connection_call_sync(bus, name, path, interface, method, parameters, G_VARIANT_TYPE("(b)"),
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START, kInhibitCallTimeoutMs, nullptr, nullptr);
    if (reply == nullptr)
        return -1;
    gboolean held = FALSE;
    g_variant_get(reply, "(b)", &held);
    g_variant_unref(reply);
    return held != FALSE ? 1 : 0;
}

// True while a program holds the saver off at the session's power manager
// (a player, a presentation). KDE's takes org.freedesktop.ScreenSaver's
// inhibitors as "screen settings" ones, which its freedesktop HasInhibit
// leaves out: its own agent is asked for both kinds (session interruption 1,
// screen settings 4). Xfce's answers the freedesktop interface, under
// either of its two names. No power manager on the bus: nothing is held.
bool inhibited(const X11Idle& idle) {
    if (idle.bus == nullptr)
        return false;
    const char kAgent[] = "org.kde.Solid.PowerManagement.PolicyAgent";
    const int kde = askInhibited(idle.bus, kAgent, "/org/kde/Solid/PowerManagement/PolicyAgent", kAgent,
                                 "HasInhibition", g_variant_new("(u)", 1u | 4u));
    if (kde >= 0)
        return kde == 1;
    const char kInhibit[] = "org.freedesktop.PowerManagement.Inhibit";
    for (const char* name : {"org.freedesktop.PowerManagement", kInhibit}) {
        const int held = askInhibited(idle.bus, name, "/org/freedesktop/PowerManagement/Inhibit", kInhibit,
                                      "HasInhibit", nullptr);
        if (held >= 0)
            return held == 1;
    }
    return false;
}

void onAlarm(X11Idle* idle, const XSyncAlarmNotifyEvent& event) {
    if (event.alarm == idle->idleAlarm) {
        if (inhibited(*idle)) {
            // Held off: ask again after another whole idle period.
            setAlarm(idle, &idle->idleAlarm, XSyncPositiveTransition, idleTimeNow(idle) + idle->milliseconds);
            idle->deferred = true;
            return;
        }
        idle->notify(idle->user, IdleEvent::Idle);
    } else if (event.alarm == idle->activeAlarm) {
        if (idle->deferred) {
            setAlarm(idle, &idle->idleAlarm, XSyncPositiveTransition, idle->milliseconds);
            idle->deferred = false;
        }
        idle->notify(idle->user, IdleEvent::Active);
    }
}

} // namespace

bool connectX11Idle(X11Idle* idle) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return false;
    idle->display = XOpenDisplay(nullptr);
    if (idle->display == nullptr)
        return false;
    int errorBase = 0, major = 0, minor = 0;
    int count = 0;
    XSyncSystemCounter* counters = nullptr;
    if (XSyncQueryExtension(idle->display, &idle->syncEventBase, &errorBase) &&
        XSyncInitialize(idle->display, &major, &minor))
        counters = XSyncListSystemCounters(idle->display, &count);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(counters[i].name, "IDLETIME") == 0)
            idle->counter = counters[i].counter;
    }
    if (counters != nullptr)
        XSyncFreeSystemCounterList(counters);
    if (idle->counter == 0) {
        closeX11Idle(idle);
        return false;
    }
    XSetIOErrorHandler(quietIOError); // the watcher's one X connection
    XSetIOErrorExitHandler(idle->display, onConnectionLost, idle);
    idle->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (idle->bus != nullptr)
        g_dbus_connection_set_exit_on_close(idle->bus, FALSE);
    return true;
}

int x11IdleFd(const X11Idle& idle) {
    return ConnectionNumber(idle.display);
}

bool armX11Idle(X11Idle* idle, uint32_t milliseconds) {
    idle->milliseconds = milliseconds;
    idle->deferred = false;
    setAlarm(idle, &idle->idleAlarm, XSyncPositiveTransition, milliseconds);
    // Input after an idle period takes the idle time from above the period's
    // last millisecond down to 0 (below 1 ms, from 1 down).
    setAlarm(idle, &idle->activeAlarm, XSyncNegativeTransition, milliseconds > 1 ? milliseconds - 1 : 0);
    // A flush, not a round trip: a round trip would read an alarm's event
    // into Xlib's queue, where the loop's poll of the connection misses it.
    XFlush(idle->display);
    return !idle->lost;
}

bool dispatchX11Idle(X11Idle* idle) {
    while (!idle->lost && XPending(idle->display) > 0) {
        XEvent event;
        XNextEvent(idle->display, &event);
        if (event.type == idle->syncEventBase + XSyncAlarmNotify)
            onAlarm(idle, *reinterpret_cast<const XSyncAlarmNotifyEvent*>(&event));
    }
    if (!idle->lost)
        XFlush(idle->display);
    return !idle->lost;
}

void closeX11Idle(X11Idle* idle) {
    if (idle->bus != nullptr)
        g_object_unref(idle->bus);
    // Closing the connection destroys its alarms in the server.
    if (idle->display != nullptr)
        XCloseDisplay(idle->display);
    *idle = X11Idle{};
}
