// The switch rules: what each command line the saver may be started with
// selects.
#include "host/common/command_line.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

constexpr SaverMode kNone = SaverMode::None, kConfigure = SaverMode::Configure, kPreview = SaverMode::Preview,
                    kPassword = SaverMode::ChangePassword, kFullScreen = SaverMode::FullScreen;

// Lines grouped by what they start: the mode, the window number after the
// switch and whether the dialog's owner is the foreground window.
const std::tuple<SaverMode, intptr_t, bool, std::vector<const char*>> kGroups[] = {
    // The program name alone, quoted or not, or a name that swallows the
    // switch: unquoted it runs to the first space (a tab is text), and a
    // missing closing quote makes the whole line the name.
    {kConfigure,
     0,
     false,
     {nullptr, "", "z.scr", "\"C:\\a b\\z.scr\"", "z.scr   ", "\"z.scr\"    ", "z.scr/s", "z.scr\t/s",
      "\"C:\\z.scr /s"}},
    // Configure with nothing after the switch: owned by the foreground window.
    {kConfigure, 0, true, {"z /c", "z /c:", "z /c   ", "z /c: : ", "z C"}},
    {kConfigure, 1234, false, {"z /c:1234", "z /c 1234", "z -C1234"}},
    // Something follows, but no number: no owner at all.
    {kConfigure, 0, false, {"z /c x"}},
    {kPreview,
     1234,
     false,
     {"z /p 1234", "z /p:1234", "z -P1234", "z l 1234", "z /L 1234", "z /p 1234 words", "z     /p 1234"}},
    {kPreview, 0, false, {"z /p", "z /p junk"}},
    // The number is read as atoi reads it: white space, a sign, digits up to
    // the first non-digit; beyond 32 bits it saturates instead of overflowing.
    {kPreview, 42, false, {"z /p \t\n\v\f\r 42", "z /p:+42"}},
    {kPreview, -42, false, {"z /p -42"}},
    {kPreview, 102, false, {"z /p 102ab34"}},
    {kPreview, 2147483647, false, {"z /p 99999999999999999999"}},
    {kPreview, -2147483647 - 1, false, {"z /p -99999999999999999999"}},
    {kPassword, 77, false, {"z /a 77", "z /A:77", "z a77"}},
    {kPassword, 0, false, {"z /a"}},
    {kFullScreen,
     0,
     false,
     {"z /s", "z -S", "z s", "z /Sxyz", "z /s 1234", "\"C:\\a b\\z.scr\" /s", "\"z.scr\"/s"}},
    // Anything else shows nothing, a tab where the switch should be included.
    {kNone, 0, false, {"z /x", "z -", "z /", "z /1234", "z / s", "z -/s", "z //s", "z :s", "z \t/s"}},
};

TEST(CommandLine, EveryLineStartsItsMode) {
    for (const auto& [mode, parent, foreground, lines] : kGroups) {
        for (const char* line : lines) {
            const CommandLine c = parseCommandLine(line);
            const std::string shown = ::testing::PrintToString(line);
            EXPECT_EQ(c.mode, mode) << shown;
            EXPECT_EQ(c.parentWindow, parent) << shown;
            EXPECT_EQ(c.ownerIsForeground, foreground) << shown;
        }
    }
}

} // namespace
