#include "host/common/monitor_layout.h"

#include <algorithm>

namespace {

// The overlap of a monitor with the screen; empty when there is none. In 64
// bits: a monitor's far edge may lie beyond the 32-bit range.
ScreenArea clipToScreen(const ScreenArea& m, const ScreenArea& screen) {
    const int64_t left = std::max<int64_t>(m.x, screen.x);
    const int64_t top = std::max<int64_t>(m.y, screen.y);
    const int64_t screenRight = int64_t{screen.x} + screen.width,
                  screenBottom = int64_t{screen.y} + screen.height;
    const int64_t right = std::min<int64_t>(int64_t{m.x} + m.width, screenRight);
    const int64_t bottom = std::min<int64_t>(int64_t{m.y} + m.height, screenBottom);
    if (m.width <= 0 || m.height <= 0 || right <= left || bottom <= top)
        return ScreenArea{0, 0, 0, 0};
    return ScreenArea{static_cast<int32_t>(left), static_cast<int32_t>(top),
                      static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

bool sameArea(const ScreenArea& a, const ScreenArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

} // namespace

std::vector<ScreenArea> saverScreenAreas(const std::vector<ScreenArea>& monitors, const ScreenArea& screen) {
    std::vector<ScreenArea> areas;
    for (const ScreenArea& monitor : monitors) {
        const ScreenArea area = clipToScreen(monitor, screen);
        if (area.width == 0)
            continue;
        const bool repeated = std::any_of(areas.begin(), areas.end(),
                                          [&](const ScreenArea& taken) { return sameArea(taken, area); });
        if (!repeated)
            areas.push_back(area);
    }
    if (areas.empty() && screen.width > 0 && screen.height > 0)
        areas.push_back(screen);
    std::stable_sort(areas.begin(), areas.end(), [](const ScreenArea& a, const ScreenArea& b) {
        return int64_t{a.width} * a.height > int64_t{b.width} * b.height;
    });
    return areas;
}

ScreenArea viewportOf(const ScreenArea& area, const ScreenArea& screen) {
    return ScreenArea{area.x - screen.x, screen.y + screen.height - area.y - area.height, area.width,
                      area.height};
}
