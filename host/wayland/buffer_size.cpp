#include "host/wayland/buffer_size.h"

namespace {

// The largest buffer side the saver asks for: far beyond any screen, and a
// bound that keeps a compositor's nonsense from becoming a huge allocation.
constexpr int64_t kLargestSide = 16384;

int32_t side(int64_t pixels) {
    if (pixels < 1)
        return 1;
    return static_cast<int32_t>(pixels > kLargestSide ? kLargestSide : pixels);
}

} // namespace

BufferSize bufferSizeFor(int32_t logicalWidth, int32_t logicalHeight, int32_t outputScale,
                         uint32_t preferredScale120) {
    if (preferredScale120 > 0) {
        // round(logical * scale / 120), half away from zero, in integers.
        const int64_t w = (int64_t{logicalWidth} * preferredScale120 + 60) / 120;
        const int64_t h = (int64_t{logicalHeight} * preferredScale120 + 60) / 120;
        return BufferSize{side(w), side(h), 1, true};
    }
    // No screen has a scale beyond 16: such a value is a fault, taken as 1.
    const int32_t scale = outputScale < 1 || outputScale > 16 ? 1 : outputScale;
    const int32_t w = side(logicalWidth), h = side(logicalHeight);
    if (int64_t{w} * scale > kLargestSide || int64_t{h} * scale > kLargestSide)
        return BufferSize{w, h, 1, false};
    return BufferSize{w * scale, h * scale, scale, false};
}
