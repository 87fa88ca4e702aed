#include "host/idle/wayland_idle.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

#include <cerrno>
#include <cstring>
#include <wayland-client.h>

namespace {

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    WaylandIdle* idle = static_cast<WaylandIdle*>(data);
    // Version 1 of ext-idle-notify on purpose: version 2's input-only
    // notification ignores idle inhibitors, and a playing video must hold
    // the saver off.
    if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0 && idle->ext.notifier == nullptr) {
        idle->ext.notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0 &&
               idle->kde.manager == nullptr) {
        idle->kde.manager = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && idle->seat == nullptr) {
        idle->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    }
    (void)version;
}

void onGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

void tell(void* data, IdleEvent event) {
    const WaylandIdle* idle = static_cast<WaylandIdle*>(data);
    idle->notify(idle->user, event);
}

void onExtIdled(void* data, ext_idle_notification_v1*) {
    tell(data, IdleEvent::Idle);
}
void onExtResumed(void* data, ext_idle_notification_v1*) {
    tell(data, IdleEvent::Active);
}
const ext_idle_notification_v1_listener kExtListener = {onExtIdled, onExtResumed};

void onKdeIdle(void* data, org_kde_kwin_idle_timeout*) {
    tell(data, IdleEvent::Idle);
}
void onKdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    tell(data, IdleEvent::Active);
}
const org_kde_kwin_idle_timeout_listener kKdeListener = {onKdeIdle, onKdeResumed};

void disarm(WaylandIdle* idle) {
    if (idle->ext.notification != nullptr)
        ext_idle_notification_v1_destroy(idle->ext.notification);
    if (idle->kde.timeout != nullptr)
        org_kde_kwin_idle_timeout_release(idle->kde.timeout);
    idle->ext.notification = nullptr;
    idle->kde.timeout = nullptr;
    idle->armed = IdleSourceKind::None;
}

} // namespace

bool connectWaylandIdle(WaylandIdle* idle) {
    idle->display = wl_display_connect(nullptr);
    if (idle->display == nullptr)
        return false;
    idle->registry = wl_display_get_registry(idle->display);
    wl_registry_add_listener(idle->registry, &kRegistryListener, idle);
    if (wl_display_roundtrip(idle->display) < 0) {
        closeWaylandIdle(idle);
        return false;
    }
    return true;
}

bool armWaylandIdle(WaylandIdle* idle, IdleSourceKind kind, uint32_t milliseconds) {
    disarm(idle);
    if (kind == IdleSourceKind::ExtIdleNotify) {
        idle->ext.notification =
            ext_idle_notifier_v1_get_idle_notification(idle->ext.notifier, milliseconds, idle->seat);
        ext_idle_notification_v1_add_listener(idle->ext.notification, &kExtListener, idle);
    } else {
        idle->kde.timeout = org_kde_kwin_idle_get_idle_timeout(idle->kde.manager, idle->seat, milliseconds);
        org_kde_kwin_idle_timeout_add_listener(idle->kde.timeout, &kKdeListener, idle);
    }
    idle->armed = kind;
    // A full socket (EAGAIN) is flushed after the next dispatch.
    return wl_display_flush(idle->display) >= 0 || errno == EAGAIN;
}

bool dispatchWaylandIdle(WaylandIdle* idle) {
    if (wl_display_dispatch(idle->display) < 0)
        return false;
    return wl_display_flush(idle->display) >= 0 || errno == EAGAIN;
}

void closeWaylandIdle(WaylandIdle* idle) {
    if (idle->display == nullptr)
        return;
    // Disconnecting frees the compositor's side of every object at once.
    wl_display_disconnect(idle->display);
    *idle = WaylandIdle{};
}
