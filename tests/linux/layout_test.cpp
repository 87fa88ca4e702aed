// Where the full-screen saver draws: one X11 area per RandR monitor as it
// lies on the screen, and a Wayland surface's buffer at the screen's real
// pixels (integer and fractional scales, sane sizes for nonsense).
#include "host/wayland/buffer_size.h"
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

// Each row: the logical size, the output's scale, the preferred fractional
// scale in 120ths, and the buffer.
TEST(BufferSize, RealPixels) {
    const std::tuple<int32_t, int32_t, int32_t, uint32_t, BufferSize> cases[] = {
        {1280, 720, 1, 0, {1280, 720, 1, false}},
        {800, 600, 2, 0, {1600, 1200, 2, false}}, // 1600x1200 at scale 2
        {640, 360, 3, 0, {1920, 1080, 3, false}},
        {1280, 720, 1, 180, {1920, 1080, 1, true}}, // 1.5 through the viewport
        {800, 600, 2, 240, {1600, 1200, 1, true}},  // the fractional scale wins
        {1366, 768, 1, 150, {1708, 960, 1, true}},  // 1707.5 rounds away from zero
        {1365, 767, 1, 126, {1433, 805, 1, true}},  // 1433.25, 805.35 round down
        {1280, 720, 1, 120, {1280, 720, 1, true}},
        {1200, 600, 2, 1, {10, 5, 1, true}},      // the smallest fractional scale is one
        {1280, 720, 0, 0, {1280, 720, 1, false}}, // no scale: 1
        {1280, 720, -2, 0, {1280, 720, 1, false}},
        {1280, 720, 17, 0, {1280, 720, 1, false}},  // beyond any screen: 1
        {0, -5, 2, 0, {2, 2, 2, false}},            // never an empty buffer
        {16384, 100, 2, 0, {16384, 100, 1, false}}, // too large to scale: as is
        {20000, 20000, 1, 0, {16384, 16384, 1, false}},
        {2147483647, 1, 1, 240, {16384, 2, 1, true}},
    };
    for (const auto& [width, height, scale, preferred120, want] : cases) {
        const BufferSize b = bufferSizeFor(width, height, scale, preferred120);
        EXPECT_EQ(std::tie(b.width, b.height, b.bufferScale, b.viewport),
                  std::tie(want.width, want.height, want.bufferScale, want.viewport))
            << width << "x" << height << " scale " << scale << " / " << preferred120;
    }
}

} // namespace
