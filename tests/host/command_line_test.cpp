// The switch rules, one group per situation a saver is started in.
#include "host/common/command_line.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    const char* line;
    SaverMode mode;
    intptr_t parent;
    bool foreground;
};

void expectParse(const Expected& e) {
    const CommandLine c = parseCommandLine(e.line);
    EXPECT_EQ(c.mode, e.mode) << "line: [" << e.line << "]";
    EXPECT_EQ(c.parentWindow, e.parent) << "line: [" << e.line << "]";
    EXPECT_EQ(c.ownerIsForeground, e.foreground) << "line: [" << e.line << "]";
}

TEST(CommandLine, ProgramNameAloneConfiguresWithoutOwner) {
    for (const char* line :
         {"zellik.scr", "\"C:\\Saver Files\\zellik.scr\"", "zellik.scr   ", "\"zellik.scr\"    ", ""})
        expectParse({line, SaverMode::Configure, 0, false});
}

TEST(CommandLine, ProgramNameForms) {
    // Blanks inside a quoted name belong to the name.
    expectParse({"\"C:\\Program Files\\z z\\zellik.scr\" /s", SaverMode::FullScreen, 0, false});
    // After a closing quote no blank is needed.
    expectParse({"\"zellik.scr\"/s", SaverMode::FullScreen, 0, false});
    // Without quotes the name runs to the first blank, so the switch is part of it.
    expectParse({"zellik.scr/s", SaverMode::Configure, 0, false});
    // A missing closing quote makes the whole line the name.
    expectParse({"\"C:\\zellik.scr /s", SaverMode::Configure, 0, false});
    // Several blanks between name and switch.
    expectParse({"zellik.scr     /p 55", SaverMode::Preview, 55, false});
}

TEST(CommandLine, ConfigureOwner) {
    for (const char* line :
         {"zellik.scr /c", "zellik.scr /c:", "zellik.scr /c   ", "zellik.scr /c: : ", "z C"})
        expectParse({line, SaverMode::Configure, 0, true});
    expectParse({"zellik.scr /c:1234", SaverMode::Configure, 1234, false});
    expectParse({"zellik.scr /c 1234", SaverMode::Configure, 1234, false});
    expectParse({"zellik.scr -C 1234", SaverMode::Configure, 1234, false});
    // Something follows, but no number: no owner at all, not the foreground window.
    expectParse({"zellik.scr /c x", SaverMode::Configure, 0, false});
}

TEST(CommandLine, PreviewWindow) {
    for (const char* line : {"zellik.scr /p 1234", "zellik.scr /p:1234", "zellik.scr -P1234",
                             "zellik.scr l 1234", "zellik.scr /L 1234", "zellik.scr /p 1234 trailing words"})
        expectParse({line, SaverMode::Preview, 1234, false});
    expectParse({"zellik.scr /p", SaverMode::Preview, 0, false});
    expectParse({"zellik.scr /p junk", SaverMode::Preview, 0, false});
}

TEST(CommandLine, NumberFollowsAtoi) {
    // White space that atoi skips (a tab) after the blanks and colons, a sign,
    // and reading that stops at the first non-digit.
    expectParse({"zellik.scr /p \t42", SaverMode::Preview, 42, false});
    expectParse({"zellik.scr /p:+42", SaverMode::Preview, 42, false});
    expectParse({"zellik.scr /p -42", SaverMode::Preview, -42, false});
    expectParse({"zellik.scr /p 12ab34", SaverMode::Preview, 12, false});
    // Beyond the 32-bit range the number saturates instead of overflowing.
    expectParse({"zellik.scr /p 99999999999999999999", SaverMode::Preview, 2147483647, false});
    expectParse({"zellik.scr /p -99999999999999999999", SaverMode::Preview, -2147483647 - 1, false});
}

TEST(CommandLine, ChangePassword) {
    expectParse({"zellik.scr /a 77", SaverMode::ChangePassword, 77, false});
    expectParse({"zellik.scr /A:77", SaverMode::ChangePassword, 77, false});
    expectParse({"zellik.scr /a", SaverMode::ChangePassword, 0, false});
}

TEST(CommandLine, FullScreen) {
    for (const char* line :
         {"zellik.scr /s", "zellik.scr -S", "zellik.scr s", "zellik.scr /Sxyz", "z /s 1234"})
        expectParse({line, SaverMode::FullScreen, 0, false});
}

TEST(CommandLine, UnrecognisedSwitchesShowNothing) {
    for (const char* line : {"zellik.scr /x", "zellik.scr -", "zellik.scr /", "zellik.scr /1234",
                             "zellik.scr / s", "zellik.scr -/s", "zellik.scr //s", "zellik.scr :s"})
        expectParse({line, SaverMode::None, 0, false});
}

TEST(CommandLine, TabIsNotABlank) {
    // The tab after the separating blank is read as the switch letter.
    expectParse({"zellik.scr \t/s", SaverMode::None, 0, false});
    // A tab does not end an unquoted name either.
    expectParse({"zellik.scr\t/s", SaverMode::Configure, 0, false});
}

} // namespace
