// zellik --idle: the session's idle watcher, started at login by the XDG
// autostart entry (and by the settings dialog when the idle time is turned
// on). Returns the program's exit status.
#pragma once

// trace: one line on stdout per event (source chosen, saver started and
// ended with its status), for the tests and for a curious user.
int runIdleWatcher(bool trace);
