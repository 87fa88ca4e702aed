#include "host/idle/idle_rules.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

IdleSourceKind pickIdleSource(const IdleOffer& offer) {
    if (offer.seat && offer.extIdleNotifier)
        return IdleSourceKind::ExtIdleNotify;
    if (offer.seat && offer.kdeIdle)
        return IdleSourceKind::KdeIdle;
    if (offer.mutterIdleMonitor)
        return IdleSourceKind::MutterIdleMonitor;
    return offer.x11IdleTime && !offer.waylandAnswers ? IdleSourceKind::X11IdleTime : IdleSourceKind::None;
}

const char* idleSourceName(IdleSourceKind kind) {
    switch (kind) {
    case IdleSourceKind::ExtIdleNotify:
        return "ext_idle_notifier_v1";
    case IdleSourceKind::KdeIdle:
        return "org_kde_kwin_idle";
    case IdleSourceKind::MutterIdleMonitor:
        return "org.gnome.Mutter.IdleMonitor";
    case IdleSourceKind::X11IdleTime:
        return "the X server's IDLETIME";
    case IdleSourceKind::None:
        break;
    }
    return "none";
}

IdleActions onIdleEvent(IdleWatch* watch, IdleEvent event, uint32_t newMinutes) {
    IdleActions actions;
    if (watch->ending) {
        // Only the saver's end matters now: the watcher waits for it to exit.
        if (event == IdleEvent::SaverEnded)
            watch->saverRunning = false;
        return actions;
    }
    switch (event) {
    case IdleEvent::Idle:
        actions.startSaver = !watch->saverRunning;
        watch->saverRunning = true;
        break;
    case IdleEvent::Active:
        actions.noticeSaver = watch->saverRunning;
        break;
    case IdleEvent::SaverEnded:
        watch->saverRunning = false;
        break;
    case IdleEvent::SettingChanged:
        if (newMinutes != 0) {
            actions.rearm = newMinutes != watch->minutes;
            watch->minutes = newMinutes;
            break;
        }
        [[fallthrough]]; // turned off: as a stop
    case IdleEvent::Stop:
    case IdleEvent::SourceGone:
        actions.endSaver = watch->saverRunning;
        actions.exit = true;
        watch->ending = true;
        break;
    }
    return actions;
}

uint32_t minuteMilliseconds(const char* value) {
    const size_t length = value != nullptr ? std::strlen(value) : 0;
    if (length == 0 || length > 5 || std::strspn(value, "0123456789") != length)
        return 60000;
    const uint32_t ms = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
    return ms >= 1 && ms <= 60000 ? ms : 60000;
}

uint32_t idleMilliseconds(uint32_t minutes, uint32_t minuteMs) {
    const uint64_t ms = static_cast<uint64_t>(minutes) * minuteMs;
    return ms > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(ms);
}

std::string idleLockPath(const char* runtimeDir, unsigned uid, const char* waylandDisplay,
                         const char* x11Display, const char* busAddress) {
    const auto given = [](const char* s) { return s != nullptr && s[0] != '\0'; };
    std::string display = given(waylandDisplay) ? waylandDisplay
                          : given(x11Display)   ? x11Display
                          : given(busAddress)   ? busAddress
                                                : "session";
    std::replace(display.begin(), display.end(), '/', '_');
    // A file name has at most 255 bytes; the display names its session well before that.
    if (display.size() > 200)
        display.resize(200);
    if (given(runtimeDir) && runtimeDir[0] == '/')
        return std::string(runtimeDir) + "/zellik-idle-" + display + ".lock";
    return "/tmp/zellik-idle-" + std::to_string(uid) + "-" + display + ".lock";
}
