#include "host/idle/mutter_idle.h"

#include <gio/gio.h>

namespace {

const char kName[] = "org.gnome.Mutter.IdleMonitor";
const char kPath[] = "/org/gnome/Mutter/IdleMonitor/Core";
// A call that takes longer means a stuck compositor: the watcher ends rather than hang.
constexpr int kCallTimeoutMs = 5000;

// Calls a method of the monitor that returns one number, or nothing when
// resultType is null; false when the call fails.
bool callMonitor(GDBusConnection* bus, const char* method, GVariant* parameters, const char* resultType,
                 uint64_t* result) {
    GVariant* reply =
        g_dbus_connection_call_sync(bus, kName, kPath, kName, method, parameters,
                                    resultType != nullptr ? G_VARIANT_TYPE(resultType) : nullptr,
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, nullptr);
    if (reply == nullptr)
        return false;
    if (result != nullptr && resultType != nullptr) {
        GVariant* value = g_variant_get_child_value(reply, 0);
        *result = g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32) ? g_variant_get_uint32(value)
                                                                     : g_variant_get_uint64(value);
        g_variant_unref(value);
    }
    g_variant_unref(reply);
    return true;
}

bool addActiveWatch(MutterIdle* idle) {
    uint64_t id = 0;
    const bool ok = callMonitor(idle->bus, "AddUserActiveWatch", nullptr, "(u)", &id);
    idle->activeWatch = static_cast<uint32_t>(id);
    return ok;
}

void onWatchFired(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* parameters,
                  gpointer data) {
    MutterIdle* idle = static_cast<MutterIdle*>(data);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(u)")))
        return;
    uint32_t id = 0;
    g_variant_get(parameters, "(u)", &id);
    if (id != 0 && id == idle->idleWatch) {
        // The next input is the activity that must end the saver: watch for
        // it before the saver starts, so none can slip between.
        if (!addActiveWatch(idle)) {
            idle->notify(idle->user, IdleEvent::SourceGone);
            return;
        }
        idle->notify(idle->user, IdleEvent::Idle);
    } else if (id != 0 && id == idle->activeWatch) {
        idle->activeWatch = 0; // it fires once and is gone
        idle->notify(idle->user, IdleEvent::Active);
    }
}

bool addIdleWatch(MutterIdle* idle) {
    uint64_t id = 0;
    const bool ok =
        callMonitor(idle->bus, "AddIdleWatch", g_variant_new("(t)", uint64_t{idle->idleMs}), "(u)", &id);
    idle->idleWatch = static_cast<uint32_t>(id);
    return ok;
}

// Mutter has left the bus: its watches went with it. The watcher waits for
// the name's next owner rather than ending, as the session goes on (GNOME on
// X11 restarts its shell); the bus closing is what ends it.
void onNameVanished(GDBusConnection*, const char*, gpointer data) {
    MutterIdle* idle = static_cast<MutterIdle*>(data);
    if (idle->ownerGone)
        return;
    idle->ownerGone = true;
    idle->wantsActive = idle->activeWatch != 0;
    idle->idleWatch = idle->activeWatch = 0;
}

// A Mutter owns the name (the first, at connection, or a new one): on a new
// one the watches are added again, the user-active one too when a saver
// started before the change is waiting for input.
void onNameAppeared(GDBusConnection*, const char*, const char*, gpointer data) {
    MutterIdle* idle = static_cast<MutterIdle*>(data);
    if (!idle->ownerGone)
        return;
    idle->ownerGone = false;
    if (!addIdleWatch(idle) || (idle->wantsActive && !addActiveWatch(idle)))
        idle->notify(idle->user, IdleEvent::SourceGone);
    idle->wantsActive = false;
}

void onClosed(GDBusConnection*, gboolean, GError*, gpointer data) {
    MutterIdle* idle = static_cast<MutterIdle*>(data);
    idle->notify(idle->user, IdleEvent::SourceGone);
}

} // namespace

bool connectMutterIdle(MutterIdle* idle) {
    idle->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (idle->bus == nullptr)
        return false;
    // The bus going away ends the session: the watcher ends its saver and
    // exits 0 itself rather than being ended by GIO.
    g_dbus_connection_set_exit_on_close(idle->bus, FALSE);
    uint64_t idleTime = 0;
    if (!callMonitor(idle->bus, "GetIdletime", nullptr, "(t)", &idleTime)) {
        closeMutterIdle(idle);
        return false;
    }
    idle->signal = g_dbus_connection_signal_subscribe(idle->bus, kName, kName, "WatchFired", kPath, nullptr,
                                                      G_DBUS_SIGNAL_FLAGS_NONE, onWatchFired, idle, nullptr);
    idle->nameWatch = g_bus_watch_name_on_connection(idle->bus, kName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                                     onNameAppeared, onNameVanished, idle, nullptr);
    idle->closed = static_cast<unsigned>(g_signal_connect(idle->bus, "closed", G_CALLBACK(onClosed), idle));
    return true;
}

bool armMutterIdle(MutterIdle* idle, uint32_t milliseconds) {
    idle->idleMs = milliseconds;
    if (idle->ownerGone)
        return true; // armed on the next owner
    if (idle->idleWatch != 0)
        callMonitor(idle->bus, "RemoveWatch", g_variant_new("(u)", idle->idleWatch), nullptr, nullptr);
    return addIdleWatch(idle);
}

void closeMutterIdle(MutterIdle* idle) {
    if (idle->bus == nullptr)
        return;
    if (idle->nameWatch != 0)
        g_bus_unwatch_name(idle->nameWatch);
    if (idle->signal != 0)
        g_dbus_connection_signal_unsubscribe(idle->bus, idle->signal);
    if (idle->closed != 0)
        g_signal_handler_disconnect(idle->bus, idle->closed);
    // The watches end with the connection; a shared bus connection stays
    // open for GIO, so they are removed by name.
    if (!g_dbus_connection_is_closed(idle->bus)) {
        for (uint32_t id : {idle->idleWatch, idle->activeWatch}) {
            if (id != 0)
                callMonitor(idle->bus, "RemoveWatch", g_variant_new("(u)", id), nullptr, nullptr);
        }
    }
    g_object_unref(idle->bus);
    *idle = MutterIdle{};
}
