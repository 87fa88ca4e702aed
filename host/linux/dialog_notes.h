// What the settings dialog says about the saver starting by itself. Pure
// choices, so that they are tested without a display or a desktop.
#pragma once
#include <cstddef>
#include <cstdint>

// GNOME blanks (and locks) the screen after its own idle delay, and
// Zellik's idle time is only ever seen when it is shorter. The note saying so
// belongs on GNOME alone (XDG_CURRENT_DESKTOP, a colon-separated list; the
// schema that holds GNOME's delay is installed with GTK everywhere), and only
// while the time set would not come first: off (0) or not shorter.
bool gnomeNoteWanted(const char* currentDesktop, uint32_t gnomeSeconds, uint32_t idleMinutes);

// The line about the idle watcher, into out: while it runs, when the saver
// starts; where the session offers no idle source, what starts it instead;
// otherwise nothing (the time beside it says all).
void formatIdleLine(bool watcherRuns, bool sourceOffered, uint32_t minutes, char* out, size_t size);
