// The Linux saver's command line: what each set of arguments asks a run to do,
// the one line that refuses each one it cannot take, and the window system
// a run draws on.
#include "host/linux/options.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The options that differ from a plain run, in one line.
std::string describe(const Options& o) {
    static const char* const kinds[] = {"", " fullscreen", " given", " root"};
    static const char* const systems[] = {"", " wayland", " x11"};
    std::ostringstream s;
    s << (o.help ? " help" : "") << (o.idle ? " idle" : "") << (o.configure ? " configure" : "")
      << (o.trace ? " trace" : "") << (o.toplevel ? " toplevel" : "") << kinds[static_cast<int>(o.kind)]
      << systems[static_cast<int>(o.system)];
    if (o.windowId != 0)
        s << " " << o.windowId;
    if (o.width != 1280 || o.height != 720)
        s << " " << o.width << "x" << o.height;
    if (o.mirrors != -1)
        s << " mirrors=" << o.mirrors;
    if (o.idleMinutes != -1)
        s << " idle=" << o.idleMinutes;
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
    {" toplevel fullscreen", {"--fullscreen --toplevel", "-toplevel -s"}},
    {" configure trace fullscreen 800x600 mirrors=0 display=:0",
     {"-c --mirrors off -s --geometry 800x600 --display :0 --trace"}},
    {" configure idle=0", {"-c --idle-minutes 0", "--idle-minutes=0 -c"}},
    {" configure idle=720", {"-configure --idle-minutes 720", "-c -idle-minutes=0720"}},
    {" configure mirrors=0 idle=15", {"-c --no-mirrors --idle-minutes 15"}},
    {"!'%' is not a whole number of minutes from 0 to 720",
     {"-c --idle-minutes 721", "-c --idle-minutes -1", "-c --idle-minutes +5", "-c --idle-minutes 5m",
      "-c --idle-minutes 0x10", "-c --idle-minutes 99999999999"}},
    {"!'' is not a whole number of minutes", {"-c --idle-minutes="}},
    {"!'--idle-minutes' stores a setting and needs -c", {"--idle-minutes 5", "-s --idle-minutes=0"}},
    {" idle", {"--idle", "-idle"}},
    {" idle trace", {"--idle --trace"}},
    {"!'--idle' starts the saver itself, full screen with the stored settings, and takes no '%' (only "
     "--trace)",
     {"--idle -c", "--idle -s", "--idle --mirrors", "--idle --no-mirrors", "--idle --toplevel",
      "--idle --wayland", "--idle -x11", "--idle --root", "-idle -configure", "--idle --display=:1",
      "--trace --idle --geometry=9x9"}},
    {"!unknown option '%'", {"root", "--rootx", "-", "--h", "--mirrors maybe", "--mirrors=off on"}},
    {"!option '%' takes no value",
     {"--fullscreen=no", "-help=x", "--root=", "-configure=1", "--trace=1", "--no-mirrors=1", "--x11=yes",
      "--idle=1", "--toplevel=1"}},
    {"!'maybe' is not on or off", {"--mirrors=maybe"}},
    {"!'%' conflicts with an earlier choice of where to draw",
     {"-s --root", "-p 5 -s", "--root --window-id=5"}},
    {"!'--x11' conflicts with an earlier choice of window system", {"--wayland --x11"}},
    {"!option '%' needs a value (see --help for ", {"-p", "--display", "--geometry", "-c --idle-minutes"}},
    {"!'' is not a window id", {"--window-id="}},
    {"!'%' is not a window id (decimal or 0x-hexadecimal)",
     {"-p 0", "-p 0x0", "-p 0x", "-p 12a", "-p 1x5", "-p 0x1g", "-p -5", "-p +5", "-p 4294967296",
      "-p 0x100000000", "-p 99999999999999999999999"}},
    {"!'%' is not a window size such as 1280x720",
     {"--geometry 0x720", "--geometry 1280x0", "--geometry 16385x1", "--geometry 1x16385", "--geometry 1280",
      "--geometry x720", "--geometry 1280x", "--geometry 1280,720", "--geometry 1280x720+0"}}};

// "zellik RUN" split into words and parsed as main would hand them over.
struct Parsed {
    std::vector<std::string> words;
    Options options;
    std::string error;
    bool ok;
};

Parsed parse(const std::string& run) {
    std::istringstream in("zellik " + run);
    Parsed r{{std::istream_iterator<std::string>(in), {}}, {}, {}, false};
    std::vector<const char*> argv(r.words.size() + 1); // null at the end, as main's
    for (size_t i = 0; i < r.words.size(); ++i)
        argv[i] = r.words[i].c_str();
    r.ok = parseOptions(static_cast<int>(r.words.size()), argv.data(), &r.options, &r.error);
    return r;
}

// What "want" says with '%' standing for the word given.
std::string filled(std::string want, const std::string& word) {
    if (want.find('%') != std::string::npos)
        want.replace(want.find('%'), 1, word);
    return want;
}

TEST(Options, EachRunAsAsked) {
    for (const auto& [result, runs] : kRuns) {
        for (const char* run : runs) {
            const Parsed r = parse(run);
            const std::string want = filled(result, r.words.back());
            EXPECT_EQ(r.ok ? describe(r.options) : "!" + r.error.substr(0, want.size() - 1), want)
                << run << ": " << r.error;
        }
    }
}

// The window system drawn on: the one forced, else X11 for an X11-only
// option, else Wayland when WAYLAND_DISPLAY names one (null: unset); an
// X11-only option with --wayland is refused in one line naming the option as
// given (the first word here).
TEST(WindowSystem, ChosenFromOptionsAndEnvironment) {
    const std::tuple<const char*, const char*, std::vector<const char*>> cases[] = {
        {"x11", nullptr, {"", "--root"}},
        {"x11", "", {""}},
        {"x11", "wayland-1", {"--x11 --fullscreen", "-root --x11", "--root", "-p 0x2a", "--display :1 -s"}},
        {"wayland", "wayland-1", {"", "--fullscreen"}},
        {"wayland", nullptr, {"-wayland", "--wayland --wayland"}},
        {"'%' works on X11 only, not with --wayland",
         "wayland-1",
         {"--root --wayland", "--display :1 --root --wayland"}},
        {"'%' works on X11 only", nullptr, {"--window-id=42 --wayland"}}};
    for (const auto& [result, waylandDisplay, runs] : cases) {
        for (const char* run : runs) {
            Parsed r = parse(run);
            ASSERT_TRUE(r.ok) << run << ": " << r.error;
            WindowSystem system = WindowSystem::Automatic;
            const bool chosen = chooseWindowSystem(r.options, waylandDisplay, &system, &r.error);
            const std::string want = filled(result, r.words.size() > 1 ? r.words[1] : "");
            EXPECT_EQ(chosen ? system == WindowSystem::X11 ? "x11" : "wayland"
                             : r.error.substr(0, want.size()),
                      want)
                << run;
            EXPECT_EQ(r.error.find('\n'), std::string::npos) << run;
        }
    }
}

// X11: own and full-screen windows pause while DPMS (enabled) has the monitor
// in standby (1), suspend (2) or off (3), or while fully obscured; a level
// kept by a disabled DPMS does not count, and given windows always draw.
TEST(Options, DrawsOnX11OnlyWhenSeen) {
    // kind, DPMS enabled, level, obscured: which of own, full screen, given, root draw ("1": draws)
    const std::tuple<bool, int, bool, const char*> rows[] = {
        {true, 0, false, "1111"},  {true, 1, false, "0011"}, {true, 3, false, "0011"},
        {false, 3, false, "1111"}, {true, 0, true, "0011"},  {false, 0, true, "0011"}};
    const WindowKind kinds[] = {WindowKind::Own, WindowKind::FullScreen, WindowKind::Given, WindowKind::Root};
    for (const auto& [enabled, level, obscured, want] : rows) {
        std::string got;
        for (WindowKind kind : kinds)
            got += drawsOnX11(kind, enabled, level, obscured) ? '1' : '0';
        EXPECT_EQ(got, want) << enabled << " " << level << " " << obscured;
    }
}

} // namespace
