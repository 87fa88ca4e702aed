#include "scene/frame_trace.h"
#include "scene/kaleidoscope_scene.h"

#include <cstdio>

namespace {

size_t append(size_t capacity, size_t used, int written) {
    if (written < 0)
        return used;
    const size_t total = used + static_cast<size_t>(written);
    return total < capacity ? total : (capacity > 0 ? capacity - 1 : 0);
}

} // namespace

size_t formatFrameTrace(const KaleidoscopeScene& scene, int64_t frame, char* out, size_t capacity) {
    const TileLayer& layer = scene.tileLayer;
    const MirrorWedge& wedge = *scene.drawnWedge;
    size_t used = 0;
    used =
        append(capacity, used,
               std::snprintf(out, capacity,
                             "frame=%lld t=%.9g sleep=%d wedge=%.9g segments=%d blend=%d zoom=%.9g spin=%.9g "
                             "sync=%d cell=%d",
                             static_cast<long long>(frame), static_cast<double>(scene.currentTime()),
                             scene.sleepInterval(), static_cast<double>(wedge.angle), wedge.segmentCount,
                             scene.drawnWedge == &scene.transition.blendWedge ? 1 : 0,
                             static_cast<double>(layer.zoom), static_cast<double>(layer.spin),
                             layer.syncSprites ? 1 : 0, layer.currentCell));
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        const TileSprite& s = layer.sprites[i];
        used = append(capacity, used,
                      std::snprintf(out + used, capacity - used,
                                    " s%d cell=%d tinted=%d scale=%.9g spin=%.9g x=%.9g y=%.9g z=%.9g "
                                    "rgb=%.9g,%.9g,%.9g alpha=%.9g",
                                    i, s.cell, s.tinted, static_cast<double>(s.scale),
                                    static_cast<double>(s.spin), static_cast<double>(s.x),
                                    static_cast<double>(s.y), static_cast<double>(s.z),
                                    static_cast<double>(s.red), static_cast<double>(s.green),
                                    static_cast<double>(s.blue), static_cast<double>(s.alpha)));
    }
    return used;
}
