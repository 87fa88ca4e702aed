// Starting the session's idle watcher when the idle time is turned on, so
// that the new time needs no new login: shared by the settings dialog's OK
// and the terminal's `zellik -c --idle-minutes N`.
#pragma once

// Whether this process runs in a session with a display to watch: a
// WAYLAND_DISPLAY or DISPLAY given and not empty (each value as read from
// the environment; null when unset). A store from ssh or a script has none.
bool sessionHasDisplay(const char* waylandDisplay, const char* x11Display);

// This very program with --idle, in a session of its own (double fork,
// setsid), so that it outlives its starter and is nobody's zombie; its stdin
// is /dev/null, its other output goes where the starter's does. A watcher
// that already runs in the session makes the new one leave at once.
void startIdleWatcher();
