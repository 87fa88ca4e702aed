// What the settings dialog says about the saver starting by itself: GNOME's
// note on GNOME alone and only while GNOME would blank first; the idle line.
#include "host/linux/dialog_notes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DialogNotes, GnomeNoteOnGnomeAloneWhileItBlanksFirst) {
    struct Case {
        const char* desktop;
        uint32_t gnomeSeconds, minutes;
        bool shown;
    } const cases[] = {
        {"GNOME", 300, 0, true},
        {"ubuntu:GNOME", 300, 5, true},
        {"GNOME-Flashback:GNOME", 300, 9, true},
        {"GNOME", 300, 4, false},
        {"GNOME", 0, 0, false},
        {"sway", 300, 0, false},
        {"KDE", 300, 10, false},
        {nullptr, 300, 0, false},
        {"GNOME-Classic", 300, 0, false},
        {"X-Cinnamon:GNOMEish", 300, 0, false},
        {"GNOME", 301, 5, false},
        {"GNOME", 1, 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gnomeNoteWanted(c.desktop, c.gnomeSeconds, c.minutes), c.shown)
            << (c.desktop ? c.desktop : "(unset)") << " " << c.gnomeSeconds << " s, " << c.minutes << " min";
}

TEST(DialogNotes, IdleLineSaysWhenOrWhatElse) {
    char line[200];
    formatIdleLine(true, true, 10, line, sizeof line);
    EXPECT_EQ(std::string(line), "Starts after 10 minutes of idle");
    formatIdleLine(true, true, 1, line, sizeof line);
    EXPECT_EQ(std::string(line), "Starts after 1 minute of idle");
    formatIdleLine(false, false, 10, line, sizeof line);
    EXPECT_NE(std::string(line).find("xscreensaver"), std::string::npos) << line;
    formatIdleLine(false, true, 10, line, sizeof line); // a watcher OK will start: the time says all
    EXPECT_EQ(std::string(line), "");
    formatIdleLine(true, true, 0, line, sizeof line); // a watcher about to leave
    EXPECT_EQ(std::string(line), "");
}

} // namespace
