// zellik --idle: the session's idle watcher, started at login by the XDG
// autostart entry (and by the settings dialog when the idle time is turned
// on). Returns the program's exit status.
#pragma once
#include "host/idle/idle_rules.h"

// trace: one line on stdout per event (source chosen, saver started and
// ended with its status), for the tests and for a curious user.
int runIdleWatcher(bool trace);

// For the settings dialog, which says whether the saver will start by itself.
// The source the watcher would use in this session, its connections closed
// again; None where the session offers none.
IdleSourceKind probeIdleSource();
// True while a watcher holds this session's lock.
bool idleWatcherRunning();
