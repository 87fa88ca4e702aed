// The idle watcher: after the session has been idle for the stored idle time
// it starts `zellik --fullscreen`, waits for it to end, and watches again.
//
// What it does:
//  [x] IdleMinutes = 0             exits 0 at once, silently: installing the package changes nothing
//  [x] one watcher per session     flock on $XDG_RUNTIME_DIR/zellik-idle-DISPLAY.lock; a second exits 0
//  [x] idle sources, in order      ext_idle_notifier_v1 (version 1), org_kde_kwin_idle,
//                                  org.gnome.Mutter.IdleMonitor, the X server's IDLETIME (only where
//                                  no compositor answers: an X11 session); none: one line, status 1
//  [x] the saver                   /proc/self/exe --fullscreen: the very program the watcher is, even
//                                  after an upgrade has replaced the file; never two at once
//  [x] activity while it runs      resumed / the user-active watch / IDLETIME dropping give the saver
//                                  notice (SIGUSR1): its own rules decide, so "Mouse Threshold" counts,
//                                  and with no input of its own near the notice (a lock screen above
//                                  it took the input) it ends itself
//  [x] setting changed             inotify on the settings folder: a new time re-arms, 0 ends the watcher;
//                                  a missing file (an editor's save by renaming) keeps the time armed
//  [x] GNOME's shell restarted     a new owner of Mutter's idle monitor gets the watches again
//  [x] SIGTERM, SIGINT, the        end the saver and exit 0
//      compositor or bus gone
//  [x] inhibitors                  each source honours them itself: the compositors' idle inhibitors,
//                                  gnome-session's; on X11 XResetScreenSaver (players, xdg-screensaver
//                                  reset) and org.freedesktop.PowerManagement.Inhibit (x11_idle.h)
// Everything waits in one GLib main loop (poll): no timers of its own, no busy waiting.
#include "host/idle/idle_watcher.h"
#include "host/idle/idle_rules.h"
#include "host/idle/mutter_idle.h"
#include "host/idle/wayland_idle.h"
#include "host/idle/x11_idle.h"
#include "host/linux/settings_file.h"

#include <glib-unix.h>
#include <glib.h>

#include <cerrno>
#include <cstdarg>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

struct IdleWatcher {
    GMainLoop* loop = nullptr;
    IdleWatch watch;
    IdleSourceKind kind = IdleSourceKind::None;
    WaylandIdle wayland;
    MutterIdle mutter;
    X11Idle x11;
    uint32_t minuteMs = 60000;
    GPid saver = 0;
    unsigned saverWatch = 0;
    std::string settingsPath;
    std::string settingsName; // the settings file's name in the folder inotify watches
    bool trace = false;
};

__attribute__((format(printf, 2, 3))) void say(const IdleWatcher& watcher, const char* format, ...) {
    if (!watcher.trace)
        return;
    std::printf("idle: ");
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::printf("\n");
    std::fflush(stdout);
}

bool arm(IdleWatcher* watcher) {
    const uint32_t ms = idleMilliseconds(watcher->watch.minutes, watcher->minuteMs);
    say(*watcher, "watching %s for %d ms", idleSourceName(watcher->kind), static_cast<int>(ms));
    if (watcher->kind == IdleSourceKind::MutterIdleMonitor)
        return armMutterIdle(&watcher->mutter, ms);
    if (watcher->kind == IdleSourceKind::X11IdleTime)
        return armX11Idle(&watcher->x11, ms);
    return armWaylandIdle(&watcher->wayland, watcher->kind, ms);
}

void onEvent(void* user, IdleEvent event);

void onSaverEnded(GPid pid, gint waitStatus, gpointer data) {
    IdleWatcher* watcher = static_cast<IdleWatcher*>(data);
    g_spawn_close_pid(pid);
    watcher->saver = 0;
    watcher->saverWatch = 0;
    const int status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    say(*watcher, "saver ended, status %d", status);
    onEvent(watcher, IdleEvent::SaverEnded);
}

void startSaver(IdleWatcher* watcher) {
    // The file this process runs, not a name looked up in PATH: the saver is
    // the same build as its watcher.
    char file[] = "/proc/self/exe", name[] = "zellik", fullscreen[] = "--fullscreen";
    char* argv[] = {file, name, fullscreen, nullptr};
    GError* error = nullptr;
    if (!g_spawn_async(nullptr, argv, nullptr,
                       static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_FILE_AND_ARGV_ZERO |
                                                G_SPAWN_CHILD_INHERITS_STDIN),
                       nullptr, nullptr, &watcher->saver, &error)) {
        std::fprintf(stderr, "zellik: cannot start the saver: %s\n", error->message);
        g_error_free(error);
        watcher->saver = 0;
        onEvent(watcher, IdleEvent::SaverEnded); // and wait for the next idle period
        return;
    }
    say(*watcher, "saver started, pid %d", watcher->saver);
    watcher->saverWatch = g_child_watch_add(watcher->saver, onSaverEnded, watcher);
}

void onEvent(void* user, IdleEvent event) {
    IdleWatcher* watcher = static_cast<IdleWatcher*>(user);
    const uint32_t minutes = event == IdleEvent::SettingChanged ? readIdleMinutes() : 0;
    const IdleActions actions = onIdleEvent(&watcher->watch, event, minutes);
    if (actions.noticeSaver)
        say(*watcher, "active again: notice to the saver, pid %d", watcher->saver);
    if (actions.startSaver)
        startSaver(watcher);
    if (actions.noticeSaver && watcher->saver != 0)
        kill(watcher->saver, SIGUSR1);
    if (actions.endSaver && watcher->saver != 0)
        kill(watcher->saver, SIGTERM); // not yet reaped: the number is still the saver's
    if (actions.rearm && !arm(watcher))
        onEvent(watcher, IdleEvent::SourceGone);
    if (actions.exit)
        g_main_loop_quit(watcher->loop);
}

gboolean onStopSignal(gpointer data) {
    say(*static_cast<IdleWatcher*>(data), "stopped by a signal");
    onEvent(data, IdleEvent::Stop);
    return G_SOURCE_CONTINUE;
}

gboolean onWayland(gint, GIOCondition, gpointer data) {
    IdleWatcher* watcher = static_cast<IdleWatcher*>(data);
    if (!dispatchWaylandIdle(&watcher->wayland)) {
        say(*watcher, "the compositor has gone");
        onEvent(watcher, IdleEvent::SourceGone);
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

gboolean onX11(gint, GIOCondition, gpointer data) {
    IdleWatcher* watcher = static_cast<IdleWatcher*>(data);
    if (!dispatchX11Idle(&watcher->x11)) {
        say(*watcher, "the X server has gone");
        onEvent(watcher, IdleEvent::SourceGone);
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

gboolean onSettingsFolder(gint fd, GIOCondition, gpointer data) {
    IdleWatcher* watcher = static_cast<IdleWatcher*>(data);
    alignas(inotify_event) char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    bool ours = n <= 0; // an overflowed or broken watch: read the file anyway
    for (ssize_t at = 0; at < n;) {
        const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
        ours =
            ours || (event->len > 0 && watcher->settingsName == event->name) || (event->mask & IN_Q_OVERFLOW);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    if (!ours)
        return G_SOURCE_CONTINUE;
    // An editor's save by renaming (the file to zellik.ini~, then a new one)
    // leaves no file for a moment, and a file removed by hand may be back at
    // once: a missing file is not "off", and the armed time holds until the
    // file is there again.
    if (access(watcher->settingsPath.c_str(), F_OK) != 0 && errno == ENOENT) {
        say(*watcher, "the settings file is missing; the idle time stays %u minutes",
            static_cast<unsigned>(watcher->watch.minutes));
        return G_SOURCE_CONTINUE;
    }
    onEvent(watcher, IdleEvent::SettingChanged);
    return G_SOURCE_CONTINUE;
}

// The settings file's folder, watched for the file written whole: closed
// after writing, or renamed into place (the store renames a new file over
// it). Not its creation, when a new file is still empty, nor its removal.
// -1 when it cannot be watched: the idle time then holds until the next login.
int watchSettingsFolder(IdleWatcher* watcher) {
    const std::string path = settingsFilePath();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return -1;
    watcher->settingsPath = path;
    watcher->settingsName = path.substr(slash + 1);
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd >= 0 && inotify_add_watch(fd, path.substr(0, slash).c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Holds the session's lock for the life of the process (the descriptor is
// closed on exec, so a saver never inherits it). False when another watcher
// holds it.
std::string sessionLockPath() {
    return idleLockPath(std::getenv("XDG_RUNTIME_DIR"), getuid(), std::getenv("WAYLAND_DISPLAY"),
                        std::getenv("DISPLAY"), std::getenv("DBUS_SESSION_BUS_ADDRESS"));
}

bool lockSession() {
    const std::string path = sessionLockPath();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "zellik: cannot open the idle watcher's lock %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return true; // without a lock, still watch: better than no saver
    }
    return flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

IdleSourceKind findSource(IdleWatcher* watcher) {
    bool wayland = false;
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    if (waylandDisplay != nullptr && waylandDisplay[0] != '\0')
        wayland = connectWaylandIdle(&watcher->wayland);
    const WaylandIdle& w = watcher->wayland;
    IdleOffer offer;
    offer.extIdleNotifier = w.ext.notifier != nullptr, offer.kdeIdle = w.kde.manager != nullptr;
    offer.seat = w.seat != nullptr, offer.waylandAnswers = wayland;
    IdleSourceKind kind = pickIdleSource(offer);
    // Each further source is asked only when the ones before it are not offered.
    if (kind == IdleSourceKind::None) {
        offer.mutterIdleMonitor = connectMutterIdle(&watcher->mutter);
        kind = pickIdleSource(offer);
    }
    if (kind == IdleSourceKind::None && !wayland) {
        offer.x11IdleTime = connectX11Idle(&watcher->x11);
        kind = pickIdleSource(offer);
    }
    // Only the connection that is used stays open.
    if (wayland && kind == IdleSourceKind::MutterIdleMonitor)
        closeWaylandIdle(&watcher->wayland);
    return kind;
}

// Ends a saver that is still running: TERM, then up to three seconds for it
// to go, then KILL, so that the watcher never leaves one behind.
void endSaverAtExit(IdleWatcher* watcher) {
    if (watcher->saver == 0)
        return;
    if (watcher->saverWatch != 0)
        g_source_remove(watcher->saverWatch);
    kill(watcher->saver, SIGTERM);
    for (int tries = 0; tries < 300; ++tries) {
        if (waitpid(watcher->saver, nullptr, WNOHANG) != 0)
            return;
        g_usleep(10000);
    }
    kill(watcher->saver, SIGKILL);
    waitpid(watcher->saver, nullptr, 0);
}

} // namespace

int runIdleWatcher(bool trace) {
    IdleWatcher watcher;
    watcher.trace = trace;
    watcher.watch.minutes = readIdleMinutes();
    if (watcher.watch.minutes == 0)
        return 0;
    if (!lockSession())
        return 0;
    watcher.minuteMs = minuteMilliseconds(std::getenv("ZELLIK_IDLE_MINUTE_MS"));
    watcher.wayland.notify = watcher.mutter.notify = watcher.x11.notify = onEvent;
    watcher.wayland.user = watcher.mutter.user = watcher.x11.user = &watcher;
    watcher.kind = findSource(&watcher);
    if (watcher.kind == IdleSourceKind::None) {
        std::fprintf(stderr, "zellik: this session offers no idle source (ext_idle_notifier_v1, "
                             "org_kde_kwin_idle, org.gnome.Mutter.IdleMonitor or, without a Wayland "
                             "compositor, an X display's IDLETIME); the idle watcher ends\n");
        closeWaylandIdle(&watcher.wayland);
        return 1;
    }
    watcher.loop = g_main_loop_new(nullptr, FALSE);
    g_unix_signal_add(SIGTERM, onStopSignal, &watcher);
    g_unix_signal_add(SIGINT, onStopSignal, &watcher);
    const GIOCondition readable = static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR);
    if (watcher.kind == IdleSourceKind::X11IdleTime)
        g_unix_fd_add(x11IdleFd(watcher.x11), readable, onX11, &watcher);
    else if (watcher.kind != IdleSourceKind::MutterIdleMonitor)
        g_unix_fd_add(wl_display_get_fd(watcher.wayland.display), readable, onWayland, &watcher);
    const int settingsFd = watchSettingsFolder(&watcher);
    if (settingsFd >= 0)
        g_unix_fd_add(settingsFd, G_IO_IN, onSettingsFolder, &watcher);
    int status = 0;
    if (arm(&watcher))
        g_main_loop_run(watcher.loop);
    else
        status = 1;
    endSaverAtExit(&watcher);
    closeWaylandIdle(&watcher.wayland);
    closeMutterIdle(&watcher.mutter);
    closeX11Idle(&watcher.x11);
    if (settingsFd >= 0)
        close(settingsFd);
    g_main_loop_unref(watcher.loop);
    return status;
}

IdleSourceKind probeIdleSource() {
    IdleWatcher watcher;
    const IdleSourceKind kind = findSource(&watcher);
    closeWaylandIdle(&watcher.wayland);
    closeMutterIdle(&watcher.mutter);
    closeX11Idle(&watcher.x11);
    return kind;
}

// A shared lock is refused only while a watcher holds its exclusive one; the
// file is not made here, so a session that never ran one stays clean.
bool idleWatcherRunning() {
    const int fd = open(sessionLockPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}
