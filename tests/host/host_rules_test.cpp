// The host rules every saver shares: what each command line the Windows saver
// may be started with selects, when the full-screen saver ends, and where it
// draws on several monitors.
#include "host/common/close_rules.h"
#include "host/common/command_line.h"
#include "host/common/monitor_layout.h"
#include "host/common/run_seed.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

// Found by argument lookup, so beside ScreenArea in the global namespace.
inline bool operator==(const ScreenArea& a, const ScreenArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
inline std::ostream& operator<<(std::ostream& out, const ScreenArea& a) {
    return out << a.width << 'x' << a.height << '+' << a.x << '+' << a.y;
}

namespace {

constexpr SaverMode kNone = SaverMode::None, kConfigure = SaverMode::Configure, kPreview = SaverMode::Preview,
                    kPassword = SaverMode::ChangePassword, kFullScreen = SaverMode::FullScreen;

// Lines grouped by what they start: the mode, the window number after the
// switch and whether the dialog's owner is the foreground window.
// clang-format off
const std::tuple<SaverMode, intptr_t, bool, std::vector<const char*>> kGroups[] = {
    // The program name alone, quoted or not, or a name that swallows the
    // switch: unquoted it runs to the first space (a tab is text), and a
    // missing closing quote makes the whole line the name.
    {kConfigure, 0, false, {nullptr, "", "z.scr", "\"C:\\a b\\z.scr\"", "z.scr   ", "\"z.scr\"    ", "z.scr/s",
                            "z.scr\t/s", "\"C:\\z.scr /s"}},
    // Configure with nothing after the switch: owned by the foreground window.
    {kConfigure, 0, true, {"z /c", "z /c:", "z /c   ", "z /c: : ", "z C"}},
    {kConfigure, 1234, false, {"z /c:1234", "z /c 1234", "z -C1234"}},
    // Something follows, but no number: no owner at all.
    {kConfigure, 0, false, {"z /c x"}},
    {kPreview, 1234, false, {"z /p 1234", "z /p:1234", "z -P1234", "z l 1234", "z /L 1234", "z /p 1234 words",
                             "z     /p 1234"}},
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
    {kFullScreen, 0, false, {"z /s", "z -S", "z s", "z /Sxyz", "z /s 1234", "\"C:\\a b\\z.scr\" /s", "\"z.scr\"/s"}},
    // Anything else shows nothing, a tab where the switch should be included.
    {kNone, 0, false, {"z /x", "z -", "z /", "z /1234", "z / s", "z -/s", "z //s", "z :s", "z \t/s"}},
};
// clang-format on

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

constexpr int32_t kLo = INT32_MIN, kHi = INT32_MAX;

// The cursor ends the saver once it is more than the threshold away from its
// start on one axis, each axis by itself (a diagonal is not combined), with
// no overflow at the ends of the coordinate range; a negative threshold (-1
// is 0xFFFFFFFF stored) counts as 0. Each row: a start, a threshold, the
// cursor positions that leave the saver running and those that end it.
TEST(CloseRules, MouseThreshold) {
    const std::tuple<ScreenPoint, int32_t, std::vector<ScreenPoint>, std::vector<ScreenPoint>> cases[] = {
        {{400, 300},
         50,
         {{400, 300}, {450, 300}, {400, 350}, {350, 300}, {400, 250}, {450, 350}, {350, 250}, {450, 250}},
         {{451, 300}, {400, 351}, {349, 300}, {400, 249}, {451, 351}, {450, 249}}},
        {{10, 10}, 50, {{-40, -40}}, {{-41, 10}}},
        {{kLo, kLo}, kHi, {{kLo, kLo}}, {{kHi, kLo}, {kLo, kHi}}},
        {{kHi, 0}, 0, {{kHi, 0}}, {{kLo, 0}}},
        {{5, 5}, -1, {{5, 5}}, {{5, 6}, {4, 5}}},
        {{5, 5}, kLo, {{5, 5}}, {{5, 4}}}};
    for (const auto& [start, threshold, stays, ends] : cases) {
        SaverSettings s{};
        s.mouseThreshold = threshold;
        s.startCursor = start;
        for (const ScreenPoint& p : stays)
            EXPECT_FALSE(movedBeyondThreshold(s, p)) << threshold << ": " << p.x << "," << p.y;
        for (const ScreenPoint& p : ends)
            EXPECT_TRUE(movedBeyondThreshold(s, p)) << threshold << ": " << p.x << "," << p.y;
    }
}

// A close that no input asked for, or one while the password prompt is up,
// is ignored. Otherwise the saver ends at once until the password delay has
// passed (to the millisecond, across the wrap of the tick count, the delay
// taken in 32-bit milliseconds) and asks for the password after it.
TEST(CloseRules, CloseMessage) {
    constexpr CloseAction kIgnore = CloseAction::Ignore, kEnd = CloseAction::Destroy,
                          kAsk = CloseAction::CheckPassword;
    constexpr uint32_t kWrap = 0xFFFFFFFFu - 4999u; // 5 s before the tick count wraps
    // Close requested, prompt up, delay in seconds, start and close ticks: what the close does.
    const std::tuple<int32_t, int32_t, uint32_t, uint32_t, uint32_t, CloseAction> cases[] = {
        {0, 0, 15, 1000, 61000, kIgnore}, {1, 1, 15, 1000, 61000, kIgnore}, {1, 0, 15, 1000, 1000, kEnd},
        {1, 0, 15, 1000, 16000, kEnd},    {1, 0, 15, 1000, 16001, kAsk},    {1, 0, 0, 500, 500, kEnd},
        {1, 0, 0, 500, 501, kAsk},        {1, 0, 15, kWrap, 10000, kEnd},   {1, 0, 15, kWrap, 10001, kAsk},
        {1, 0, 4294968u, 0, 704, kEnd},   {1, 0, 4294968u, 0, 705, kAsk}, // 4294968000 ms wraps to 704
    };
    for (const auto& [requested, checking, delay, startTick, nowTick, action] : cases) {
        SaverSettings s{};
        s.closeRequested = requested;
        s.checkingPassword = checking;
        s.passwordDelay = delay;
        s.startTick = startTick;
        EXPECT_EQ(decideClose(s, nowTick), action)
            << requested << checking << " " << delay << " s, " << nowTick - startTick << " ms after start";
    }
}

// Deactivation is a zero low word whatever the high word holds; only the
// exact SC_SCREENSAVE and SC_CLOSE are swallowed (the low four bits belong
// to the system); any non-zero UseMirrors sets the mirrors bit alone.
TEST(CloseRules, MessagesAndFlags) {
    for (uintptr_t p : {0x0u, 0x10000u, 0x1u, 0x10001u})
        EXPECT_EQ(isDeactivation(p), (p & 0xFFFF) == 0) << p;
    for (uintptr_t c : {0xF140u, 0xF060u, 0xF061u, 0xF06Fu, 0xF141u, 0xF020u})
        EXPECT_EQ(swallowsSysCommand(c), c == 0xF140u || c == 0xF060u) << std::hex << c;
    const std::pair<uint32_t, uint32_t> mirrorsToFlags[] = {{0, 0}, {1, 0x10000}, {5, 0x10000}};
    for (const auto& [mirrors, flags] : mirrorsToFlags) {
        SaverSettings s{};
        s.useMirrors = mirrors;
        EXPECT_EQ(renderFlagsFor(s), flags) << mirrors;
    }
}

// A notice that the session saw input: the saver's own input up to 1.5 s
// before or after it (the signal and the event race) keeps the saver, else it
// ends once 1.5 s have passed without any; across the tick count's wrap too.
TEST(CloseRules, InputNotice) {
    constexpr auto kWait = InputNoticeVerdict::Wait, kStay = InputNoticeVerdict::Stay,
                   kEnd = InputNoticeVerdict::End;
    constexpr uint32_t kWrap = 0xFFFFFFFFu - 499u; // 0.5 s before the tick count wraps
    // notice, saw input, last input, now: the verdict.
    const std::tuple<uint32_t, bool, uint32_t, uint32_t, InputNoticeVerdict> cases[] = {
        {10000, true, 9000, 10000, kStay},  {10000, true, 11500, 11500, kStay},
        {10000, true, 8500, 10000, kStay},  {10000, true, 8499, 10000, kWait},
        {10000, true, 8499, 11501, kEnd},   {10000, false, 10000, 11500, kWait},
        {10000, false, 10000, 11501, kEnd}, {10000, true, 11501, 11501, kEnd},
        {kWrap, true, 900, 1000, kStay},    {kWrap, false, 0, 999, kWait},
        {kWrap, false, 0, 1001, kEnd},      {600, true, kWrap, 700, kStay},
    };
    for (const auto& [notice, saw, last, now, verdict] : cases)
        EXPECT_EQ(judgeInputNotice(notice, saw, last, now), verdict)
            << notice << " " << saw << " " << last << " " << now;
}

// Each row: the monitors, the screen (X11's root window, or Windows' virtual
// screen) and the areas, then each area's viewport in a window over the whole
// screen. Rows: one monitor; side by side; stacked; no monitors (the screen,
// even one pixel); no screen (no area); a monitor one pixel wide; a clone is one area; a smaller clone
// lies on top; clipped to the screen; off the screen or empty (dropped); edges
// beyond 32 bits; a virtual screen reaching left of and above the primary one.
TEST(MonitorLayout, OneAreaPerMonitor) {
    using Areas = std::vector<ScreenArea>;
    const std::tuple<Areas, ScreenArea, Areas, Areas> cases[] = {
        // clang-format off
        {{{0, 0, 1280, 720}}, {0, 0, 1280, 720}, {{0, 0, 1280, 720}}, {{0, 0, 1280, 720}}},
        {{{0, 0, 1280, 720}, {1280, 0, 1920, 1080}}, {0, 0, 3200, 1080},
         {{1280, 0, 1920, 1080}, {0, 0, 1280, 720}}, {{1280, 0, 1920, 1080}, {0, 360, 1280, 720}}},
        {{{0, 0, 1024, 768}, {0, 768, 1024, 768}}, {0, 0, 1024, 1536},
         {{0, 0, 1024, 768}, {0, 768, 1024, 768}}, {{0, 768, 1024, 768}, {0, 0, 1024, 768}}},
        {{}, {0, 0, 1, 1}, {{0, 0, 1, 1}}, {{0, 0, 1, 1}}},
        {{{0, 0, 640, 480}}, {0, 0, 0, 480}, {}, {}},
        {{{0, 0, 1, 720}, {1, 0, 1279, 720}}, {0, 0, 1280, 720}, {{1, 0, 1279, 720}, {0, 0, 1, 720}}, {}},
        {{{0, 0, 1280, 720}, {0, 0, 1280, 720}}, {0, 0, 1280, 720}, {{0, 0, 1280, 720}}, {}},
        {{{0, 0, 1024, 768}, {0, 0, 1920, 1080}}, {0, 0, 1920, 1080},
         {{0, 0, 1920, 1080}, {0, 0, 1024, 768}}, {{0, 0, 1920, 1080}, {0, 312, 1024, 768}}},
        {{{-100, -50, 800, 600}, {700, 0, 800, 600}}, {0, 0, 1280, 600},
         {{0, 0, 700, 550}, {700, 0, 580, 600}}, {{0, 50, 700, 550}, {700, 0, 580, 600}}},
        {{{1280, 0, 640, 480}, {0, 0, 0, 480}, {10, 10, 100, 0}}, {0, 0, 1280, 720}, {{0, 0, 1280, 720}}, {}},
        {{{2147483000, 0, 2000, 100}, {0, 0, 2147483647, 2147483647}}, {0, 0, 1280, 720}, {{0, 0, 1280, 720}}, {}},
        {{{0, 0, 1920, 1080}, {-1280, -200, 1280, 1024}}, {-1280, -200, 3200, 1280},
         {{0, 0, 1920, 1080}, {-1280, -200, 1280, 1024}}, {{1280, 0, 1920, 1080}, {0, 256, 1280, 1024}}}};
    // clang-format on
    for (const auto& [monitors, screen, areas, viewports] : cases) {
        const Areas got = saverScreenAreas(monitors, screen);
        EXPECT_EQ(got, areas) << screen;
        for (size_t i = 0; i < got.size() && i < viewports.size(); ++i)
            EXPECT_EQ(viewportOf(got[i], screen), viewports[i]) << screen << ", area " << i;
    }
}

// ZELLIK_SEED fixes the run's seed; unset, empty or anything but a decimal
// number of at most 32 bits leaves the calendar's (here 200).
TEST(RunSeed, FixedOnlyByAPlainDecimalNumber) {
    EXPECT_EQ(runSeed(nullptr, 200), 200u);
    for (const char* refused :
         {"", "4294967296", "99999999999999999999", "-1", "+5", " 5", "5 ", "0x10", "12a"})
        EXPECT_EQ(runSeed(refused, 200), 200u) << "[" << refused << "]";
    const std::pair<const char*, uint32_t> fixed[] = {
        {"0", 0}, {"7", 7}, {"0042", 42}, {"4294967295", 4294967295u}};
    for (const auto& [text, seed] : fixed)
        EXPECT_EQ(runSeed(text, 200), seed) << text;
}

} // namespace
