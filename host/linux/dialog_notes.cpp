#include "host/linux/dialog_notes.h"

#include <cstdio>
#include <cstring>

bool gnomeNoteWanted(const char* currentDesktop, uint32_t gnomeSeconds, uint32_t idleMinutes) {
    bool gnome = false;
    for (const char* at = currentDesktop != nullptr ? currentDesktop : ""; *at != '\0';) {
        const char* end = std::strchr(at, ':');
        const size_t length = end != nullptr ? static_cast<size_t>(end - at) : std::strlen(at);
        gnome = gnome || (length == 5 && std::strncmp(at, "GNOME", 5) == 0);
        at += length + (end != nullptr ? 1 : 0);
    }
    return gnome && gnomeSeconds > 0 && (idleMinutes == 0 || uint64_t{idleMinutes} * 60 >= gnomeSeconds);
}

void formatIdleLine(bool watcherRuns, bool sourceOffered, uint32_t minutes, char* out, size_t size) {
    if (watcherRuns && minutes > 0)
        std::snprintf(out, size, "Starts after %u minute%s of idle", minutes, minutes == 1 ? "" : "s");
    else if (!watcherRuns && !sourceOffered)
        std::snprintf(out, size,
                      "No idle source in this session: let the desktop's\n"
                      "own screen saver or xscreensaver start Zellik.");
    else if (size > 0)
        out[0] = '\0';
}
