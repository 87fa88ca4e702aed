// The idle watcher's rules that touch nothing: which idle source a session
// gets, what each event does to the one saver, the lock that keeps one
// watcher per session and the length of the idle time. The watcher
// (idle_watcher.cpp) carries out what these decide.
#pragma once
#include <cstdint>
#include <string>

// In the order they are tried. Version 1 of ext-idle-notify honours idle
// inhibitors (a playing video); KDE's protocol does too; Mutter's watch
// pauses while gnome-session holds an inhibitor; the X server's IDLETIME
// counter is reset by XResetScreenSaver, and the watcher asks the session
// bus's power-management inhibitors itself.
enum class IdleSourceKind { None, ExtIdleNotify, KdeIdle, MutterIdleMonitor, X11IdleTime };

// What the session offers: Wayland globals (each protocol counts only with a
// seat to watch), GNOME's bus name, the X server's counter.
struct IdleOffer {
    bool extIdleNotifier = false, kdeIdle = false, seat = false;
    bool waylandAnswers = false; // a compositor answered on WAYLAND_DISPLAY
    bool mutterIdleMonitor = false;
    bool x11IdleTime = false; // $DISPLAY has the SYNC extension's IDLETIME counter
};

// The first source the session offers: a Wayland protocol, then GNOME's bus
// name, then the X server's counter, but that only where no compositor
// answers: under a Wayland session Xwayland's counter sees only the input
// that goes to X clients.
IdleSourceKind pickIdleSource(const IdleOffer& offer);
const char* idleSourceName(IdleSourceKind kind);

enum class IdleEvent {
    Idle,           // the session has been idle for the idle time
    Active,         // input again after Idle (resumed, the user-active watch, IDLETIME dropping)
    SaverEnded,     // the saver process has ended, for whatever reason
    Stop,           // SIGTERM or SIGINT
    SourceGone,     // the compositor or the session bus went away
    SettingChanged, // the settings file changed; the new idle time comes with it
};

// The watcher's state: the idle time armed and whether its saver runs.
struct IdleWatch {
    uint32_t minutes = 0;
    bool saverRunning = false;
    bool ending = false;
};

// What the watcher does in answer to one event, in this order.
struct IdleActions {
    bool startSaver = false;  // start zellik --fullscreen
    bool noticeSaver = false; // SIGUSR1 to the running saver: the session saw input
    bool endSaver = false;    // SIGTERM to the running saver
    bool rearm = false;       // arm the source again with watch.minutes
    bool exit = false;        // end the watcher (status 0), after ending the saver
};

// One saver at a time: Idle starts one only when none runs; Active gives the
// running one notice, and its own input rules decide: input it saw itself
// (a move within "Mouse Threshold" too) leaves it running, none near the
// notice means the input went elsewhere (a lock screen above it) and it ends
// itself; Stop, SourceGone and a setting of 0 end the saver and the watcher;
// another non-zero setting re-arms, leaving a saver be.
IdleActions onIdleEvent(IdleWatch* watch, IdleEvent event, uint32_t newMinutes = 0);

// The idle time in milliseconds. minuteMs is how long a minute lasts:
// 60000, or for tests the value of ZELLIK_IDLE_MINUTE_MS (1 to 60000 digits
// only; anything else is ignored).
uint32_t minuteMilliseconds(const char* environmentValue);
uint32_t idleMilliseconds(uint32_t minutes, uint32_t minuteMs);

// The lock file that keeps one watcher per session: in XDG_RUNTIME_DIR (else
// /tmp with the user id in the name), named after the session's display
// (WAYLAND_DISPLAY, else DISPLAY, else the D-Bus session address), with '/'
// made '_' so that an absolute socket path stays one name.
std::string idleLockPath(const char* runtimeDir, unsigned uid, const char* waylandDisplay,
                         const char* x11Display, const char* busAddress);
