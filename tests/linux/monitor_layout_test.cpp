// The X11 full-screen layout from made-up RandR monitor lists: one area per
// monitor as it lies on the screen.
#include "host/x11/monitor_layout.h"

#include <gtest/gtest.h>

// Found by argument lookup, so beside ScreenArea in the global namespace.
inline bool operator==(const ScreenArea& a, const ScreenArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

inline std::ostream& operator<<(std::ostream& out, const ScreenArea& a) {
    return out << a.width << 'x' << a.height << '+' << a.x << '+' << a.y;
}

namespace {

struct Case {
    const char* what;
    std::vector<ScreenArea> monitors;
    int32_t screenWidth, screenHeight;
    std::vector<ScreenArea> areas;
};

TEST(MonitorLayout, OneAreaPerMonitor) {
    const Case cases[] = {
        {"one monitor", {{0, 0, 1280, 720}}, 1280, 720, {{0, 0, 1280, 720}}},
        {"side by side",
         {{0, 0, 1280, 720}, {1280, 0, 1920, 1080}},
         3200,
         1080,
         {{1280, 0, 1920, 1080}, {0, 0, 1280, 720}}},
        {"stacked, equal",
         {{0, 0, 1024, 768}, {0, 768, 1024, 768}},
         1024,
         1536,
         {{0, 0, 1024, 768}, {0, 768, 1024, 768}}},
        {"no monitors: the screen", {}, 1280, 720, {{0, 0, 1280, 720}}},
        {"a one-pixel screen", {}, 1, 1, {{0, 0, 1, 1}}},
        {"no screen, no area", {{0, 0, 640, 480}}, 0, 0, {}},
        {"a clone is one area", {{0, 0, 1280, 720}, {0, 0, 1280, 720}}, 1280, 720, {{0, 0, 1280, 720}}},
        {"a smaller clone lies on top",
         {{0, 0, 1024, 768}, {0, 0, 1920, 1080}},
         1920,
         1080,
         {{0, 0, 1920, 1080}, {0, 0, 1024, 768}}},
        {"clipped to the screen",
         {{-100, -50, 800, 600}, {700, 0, 800, 600}},
         1280,
         600,
         {{0, 0, 700, 550}, {700, 0, 580, 600}}},
        {"off the screen or empty: dropped",
         {{1280, 0, 640, 480}, {0, 0, 0, 480}, {10, 10, 100, 0}},
         1280,
         720,
         {{0, 0, 1280, 720}}},
        {"edges beyond 32 bits",
         {{2147483000, 0, 2000, 100}, {0, 0, 2147483647, 2147483647}},
         1280,
         720,
         {{0, 0, 1280, 720}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(saverScreenAreas(c.monitors, c.screenWidth, c.screenHeight), c.areas) << c.what;
}

} // namespace
