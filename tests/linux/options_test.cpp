// The Linux saver's command line: what each set of arguments asks a run to do,
// the one line that refuses each one it cannot take, and the window system
// a run draws on.
#include "host/linux/options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

namespace {

// The options that differ from a plain run, in one line.
std::string describe(const Options& o) {
    static const char* const kinds[] = {"", " fullscreen", " given", " root"};
    std::ostringstream s;
    s << (o.help ? " help" : "") << (o.configure ? " configure" : "") << (o.trace ? " trace" : "")
      << kinds[static_cast<int>(o.kind)]
      << (o.system == WindowSystem::Wayland ? " wayland"
          : o.system == WindowSystem::X11   ? " x11"
                                            : "");
    if (o.windowId != 0)
        s << " " << o.windowId;
    if (o.width != 1280 || o.height != 720)
        s << " " << o.width << "x" << o.height;
    if (o.mirrors != -1)
        s << " mirrors=" << o.mirrors;
    if (!o.display.empty())
        s << " display=" << o.display;
    return s.str();
}

// Every option in each spelling (one dash or two, a value after '=' or as
// the next word), window ids in decimal or 0x-hexadecimal up to 32 bits,
// sizes from 1 to 16384, an on/off word after --mirrors taken only when it is
// one. A result that starts with '!' is a refusal: the message begins with
// the rest, '%' standing for the last argument.
const std::pair<const char*, std::vector<const char*>> kRuns[] = {
    {"", {""}},
    {" help", {"-h", "--help"}},
    {" configure", {"-c", "-configure"}},
    {" fullscreen", {"-s", "--fullscreen -s"}},
    {" root", {"-root", "--root"}},
    {" given 42", {"-p 42", "--window-id 0x2a", "-window-id=0X2A"}},
    {" given 123", {"-p 0123"}},
    {" given 4294967295", {"-p 4294967295", "-p 0xFFFFFFFF"}},
    {" 640x480", {"--geometry 640x480"}},
    {" 1x1", {"--geometry=1X1"}},
    {" 16384x16384", {"-geometry 16384x16384"}},
    {" mirrors=1", {"--mirrors", "--mirrors on", "--mirrors yes", "--mirrors=true", "--mirrors 1"}},
    {" mirrors=0", {"--mirrors off", "--mirrors=no", "--mirrors false", "--mirrors 0", "--no-mirrors"}},
    {" trace mirrors=1", {"--mirrors --trace"}},
    {" display=:1", {"--display :1", "-display=:1"}},
    {" wayland", {"--wayland", "-wayland --wayland"}},
    {" fullscreen x11", {"--x11 --fullscreen"}},
    {" configure trace fullscreen 800x600 mirrors=0 display=:0",
     {"-c --mirrors off -s --geometry 800x600 --display :0 --trace"}},
    {"!unknown option '%'",
     {"root", "--rootx", "-", "--h", "--trace=1", "--no-mirrors=1", "--mirrors maybe", "--mirrors=off on"}},
    {"!'maybe' is not on or off", {"--mirrors=maybe"}},
    {"!'%' conflicts with an earlier choice of where to draw",
     {"-s --root", "-p 5 -s", "--root --window-id=5"}},
    {"!option '%' needs a value (see --help for ", {"-p", "--display", "--geometry"}},
    {"!'' is not a window id", {"--window-id="}},
    {"!'%' is not a window id (decimal or 0x-hexadecimal)",
     {"-p 0", "-p 0x0", "-p 0x", "-p 12a", "-p 1x5", "-p 0x1g", "-p -5", "-p +5", "-p 4294967296",
      "-p 0x100000000", "-p 99999999999999999999999"}},
    {"!'%' is not a window size such as 1280x720",
     {"--geometry 0x720", "--geometry 1280x0", "--geometry 16385x1", "--geometry 1x16385", "--geometry 1280",
      "--geometry x720", "--geometry 1280x", "--geometry 1280,720", "--geometry 1280x720+0"}}};

TEST(Options, EachRunAsAsked) {
    for (const auto& [result, runs] : kRuns) {
        for (const char* run : runs) {
            std::istringstream in(std::string("zellik ") + run);
            const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
            std::vector<const char*> argv(words.size() + 1); // null at the end, as main's
            for (size_t i = 0; i < words.size(); ++i)
                argv[i] = words[i].c_str();
            Options options;
            std::string error;
            const bool ok = parseOptions(static_cast<int>(words.size()), argv.data(), &options, &error);
            std::string want = result;
            if (want.find('%') != std::string::npos)
                want.replace(want.find('%'), 1, words.back());
            EXPECT_EQ(ok ? describe(options) : "!" + error.substr(0, want.size() - 1), want)
                << run << ": " << error;
        }
    }
}

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
