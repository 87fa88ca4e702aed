// The X11 full-screen layout from made-up RandR monitor lists: one area per
// monitor as it lies on the screen.
#include "host/x11/monitor_layout.h"

#include <gtest/gtest.h>

#include <tuple>

// Found by argument lookup, so beside ScreenArea in the global namespace.
inline bool operator==(const ScreenArea& a, const ScreenArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

inline std::ostream& operator<<(std::ostream& out, const ScreenArea& a) {
    return out << a.width << 'x' << a.height << '+' << a.x << '+' << a.y;
}

namespace {

// Each row: the monitors, the screen's size and the areas. Rows: one
// monitor; side by side; stacked; no monitors (the screen, even one pixel);
// no screen (no area); a clone is one area; a smaller clone lies on top;
// clipped to the screen; off the screen or empty (dropped); edges beyond 32
// bits.
TEST(MonitorLayout, OneAreaPerMonitor) {
    const std::tuple<std::vector<ScreenArea>, int32_t, int32_t, std::vector<ScreenArea>> cases[] = {
        {{{0, 0, 1280, 720}}, 1280, 720, {{0, 0, 1280, 720}}},
        {{{0, 0, 1280, 720}, {1280, 0, 1920, 1080}}, 3200, 1080, {{1280, 0, 1920, 1080}, {0, 0, 1280, 720}}},
        {{{0, 0, 1024, 768}, {0, 768, 1024, 768}}, 1024, 1536, {{0, 0, 1024, 768}, {0, 768, 1024, 768}}},
        {{}, 1280, 720, {{0, 0, 1280, 720}}},
        {{}, 1, 1, {{0, 0, 1, 1}}},
        {{{0, 0, 640, 480}}, 0, 0, {}},
        {{{0, 0, 1280, 720}, {0, 0, 1280, 720}}, 1280, 720, {{0, 0, 1280, 720}}},
        {{{0, 0, 1024, 768}, {0, 0, 1920, 1080}}, 1920, 1080, {{0, 0, 1920, 1080}, {0, 0, 1024, 768}}},
        {{{-100, -50, 800, 600}, {700, 0, 800, 600}}, 1280, 600, {{0, 0, 700, 550}, {700, 0, 580, 600}}},
        {{{1280, 0, 640, 480}, {0, 0, 0, 480}, {10, 10, 100, 0}}, 1280, 720, {{0, 0, 1280, 720}}},
        {{{2147483000, 0, 2000, 100}, {0, 0, 2147483647, 2147483647}}, 1280, 720, {{0, 0, 1280, 720}}}};
    for (const auto& [monitors, width, height, areas] : cases)
        EXPECT_EQ(saverScreenAreas(monitors, width, height), areas) << width << "x" << height;
}

} // namespace
