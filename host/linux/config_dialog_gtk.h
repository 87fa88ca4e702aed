// The configuration dialog in GTK 3, with the controls of the Windows dialog:
// "Use Mirrors", OK, Cancel, "Version 1.0" and three credit lines.
#pragma once
#include "host/common/saver_settings.h"

// Shows the dialog with the check box set from settings->useMirrors. OK
// stores the choice; Cancel, Escape and the close box store nothing.
// Returns the process exit status: 1 when GTK 3 cannot be loaded, there is
// no display or the choice could not be stored (one line on stderr),
// otherwise 0.
int runConfigDialog(SaverSettings* settings);
