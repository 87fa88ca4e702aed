// The configuration dialog in GTK 3: a live preview of the kaleidoscope
// (dialog_preview.h) above the controls of the Windows dialog: "Use Mirrors",
// OK, Cancel, "Version 1.0" and three credit lines; and, for the idle
// watcher, "Start after N minutes" (0 = off), a line saying when the running
// watcher starts the saver or that this session offers no idle source, and
// on GNOME its own blanking time while that would come first.
#pragma once
#include "host/common/saver_settings.h"

// Shows the dialog with the check box set from settings->useMirrors and the
// idle time from the settings file. OK stores both, and starts the idle
// watcher (this program with --idle, detached) when the idle time was
// turned on or changed, so that it works without a new login; Cancel,
// Escape and the close box store nothing.
// Returns the process exit status: 1 when GTK 3 cannot be loaded, there is
// no display or the choice could not be stored (one line on stderr), otherwise 0.
int runConfigDialog(SaverSettings* settings);
