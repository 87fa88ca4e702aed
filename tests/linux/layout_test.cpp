// Where the full-screen saver draws on Wayland: a surface's buffer at the
// screen's real pixels (integer and fractional scales, sane sizes for nonsense).
#include "host/wayland/buffer_size.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Each row: the logical size, the output's scale, the preferred fractional
// scale in 120ths, and the buffer.
TEST(BufferSize, RealPixels) {
    const std::tuple<int32_t, int32_t, int32_t, uint32_t, BufferSize> cases[] = {
        {1280, 720, 1, 0, {1280, 720, 1, false}},
        {800, 600, 2, 0, {1600, 1200, 2, false}},   // 1600x1200 at scale 2
        {1280, 720, 1, 180, {1920, 1080, 1, true}}, // 1.5 through the viewport
        {800, 600, 2, 240, {1600, 1200, 1, true}},  // the fractional scale wins
        {1366, 768, 1, 150, {1708, 960, 1, true}},  // 1707.5 rounds away from zero
        {1365, 767, 1, 126, {1433, 805, 1, true}},  // 1433.25, 805.35 round down
        {1280, 720, 1, 120, {1280, 720, 1, true}},
        {1200, 600, 2, 1, {10, 5, 1, true}},        // the smallest fractional scale is one
        {1280, 720, 0, 0, {1280, 720, 1, false}},   // no scale: 1
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
