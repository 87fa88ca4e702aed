// The choice of window system: what the command line forces, what the
// environment suggests, and the X11-only options refused on Wayland.
#include "host/linux/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Case {
    std::vector<const char*> args; // after the program name
    const char* waylandDisplay;    // WAYLAND_DISPLAY, null when unset
    bool parses;
    bool chosen; // chooseWindowSystem succeeds
    WindowSystem system;
    const char* errorPart; // part of the one-line error, when there is one
};

TEST(WindowSystem, ChosenFromOptionsAndEnvironment) {
    const Case cases[] = {
        {{}, nullptr, true, true, WindowSystem::X11, ""},
        {{}, "", true, true, WindowSystem::X11, ""},
        {{}, "wayland-1", true, true, WindowSystem::Wayland, ""},
        {{"--fullscreen"}, "wayland-1", true, true, WindowSystem::Wayland, ""},
        {{"--x11", "--fullscreen"}, "wayland-1", true, true, WindowSystem::X11, ""},
        {{"-wayland"}, nullptr, true, true, WindowSystem::Wayland, ""},
        {{"--wayland", "--wayland"}, nullptr, true, true, WindowSystem::Wayland, ""},
        // X11 windows and displays: fine on X11, refused on Wayland, naming the option as given.
        {{"--root"}, nullptr, true, true, WindowSystem::X11, ""},
        {{"--root"}, "wayland-1", true, false, WindowSystem::X11, "'--root' works on X11 only"},
        {{"-root", "--x11"}, "wayland-1", true, true, WindowSystem::X11, ""},
        {{"-p", "0x2a"}, "wayland-1", true, false, WindowSystem::X11, "'-p' works on X11 only"},
        {{"--window-id=42", "--wayland"}, nullptr, true, false, WindowSystem::X11, "'--window-id=42'"},
        {{"--display", ":1"}, "wayland-1", true, false, WindowSystem::X11, "'--display' works on X11 only"},
        {{"--display", ":1", "--root"}, "wayland-1", true, false, WindowSystem::X11, "'--display'"},
        // Both forced at once: a conflict the parse reports.
        {{"--wayland", "--x11"}, nullptr, false, false, WindowSystem::X11, "'--x11' conflicts"},
        {{"--x11=yes"}, nullptr, false, false, WindowSystem::X11, "unknown option '--x11=yes'"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"zellik"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const std::string line = ::testing::PrintToString(c.args);
        Options options;
        std::string error;
        const bool parsed = parseOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
        ASSERT_EQ(parsed, c.parses) << line << ": " << error;
        WindowSystem system = WindowSystem::Automatic;
        const bool chosen = parsed && chooseWindowSystem(options, c.waylandDisplay, &system, &error);
        EXPECT_EQ(chosen, c.chosen) << line;
        if (chosen) {
            EXPECT_EQ(system, c.system) << line;
        }
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << line << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << line;
    }
}

} // namespace
