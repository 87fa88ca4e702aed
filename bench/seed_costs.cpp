// zellik-seed-costs: what each starting seed costs to draw. The saver starts
// from the calendar time modulo 256, so a user meets any of 256 pictures;
// this prints one line per seed, the figures peers.sh's choice of seeds
// rests on (bench/seed-costs.txt). Run from the build tree:
//
//   bench/zellik-seed-costs [FIRST LAST [EVERY [WxH]]]   (defaults 0 255 10 1920x1080)
//
// Per seed it runs the real scene on the simulated clock (30 frames a second)
// over the window peers.sh measures, 1 s to 21 s after the first frame, and
// draws every EVERY-th frame of it, each finished with glFinish. The frames in
// between only advance the scene (clock, tiles, wedge), which is all a drawn
// frame would change. Columns:
//   cpu_ms     process CPU (user + system, all of llvmpipe's threads) a drawn frame
//   mfrag      million fragments a frame that reach blending (occlusion query):
//              the fill, which other programs on the machine do not change
//   wedges     mean wedge count (segments) of the drawn frames
//   area       mean of the three tiles' summed area, in squared layer units
#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl.h"
#include <GL/glext.h>
#include "scene/kaleidoscope_scene.h"
#include "host/linux/headless_context.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <numeric>

namespace {

constexpr int kFirstFrame = 31; // 1 s in
constexpr int kLastFrame = 630; // 20 s later

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

struct SeedCost {
    double cpuMs, fragments, wedges, area;
};

SeedCost measureSeed(int32_t width, int32_t height, uint32_t seed, int every, GLuint query) {
    SteppedCounter counter{30, 1, 0};
    KaleidoscopeScene scene(width, height, seed, counter.counter());
    double cpu = 0, fragments = 0, wedges = 0, area = 0;
    int drawn = 0;
    for (int frame = 1; frame <= kLastFrame; ++frame) {
        counter.step();
        if (frame < kFirstFrame || (frame - kFirstFrame) % every != 0) {
            scene.advanceFrame();
            continue;
        }
        glFinish();
        const double cpu0 = cpuSeconds();
        glBeginQuery(GL_SAMPLES_PASSED, query);
        scene.renderFrame(kRenderMirrors);
        glEndQuery(GL_SAMPLES_PASSED);
        GLuint samples = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
        cpu += cpuSeconds() - cpu0;
        fragments += samples;
        wedges += scene.drawnWedge->segmentCount;
        area +=
            std::accumulate(std::begin(scene.tileLayer.sprites), std::end(scene.tileLayer.sprites), 0.0,
                            [](double sum, const TileSprite& s) { return sum + 4.0 * s.scale * s.scale; });
        ++drawn;
    }
    return SeedCost{cpu * 1000 / drawn, fragments / drawn / 1e6, wedges / drawn, area / drawn};
}

} // namespace

int main(int argc, char** argv) {
    const long first = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
    const long last = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 255;
    const int every = argc > 3 ? std::atoi(argv[3]) : 10;
    int width = 1920, height = 1080;
    if (argc > 4 && std::sscanf(argv[4], "%dx%d", &width, &height) != 2)
        width = 0;
    if (first < 0 || last < first || every < 1 || width < 1 || height < 1) {
        std::fprintf(stderr, "usage: zellik-seed-costs [FIRST LAST [EVERY [WxH]]]\n");
        return 2;
    }
    HeadlessContext context{};
    if (!context.create(width, height))
        return 1;
    GLuint query = 0;
    glGenQueries(1, &query);
    double load[1] = {0};
    if (getloadavg(load, 1) == 1)
        std::printf("# %dx%d, frames %d to %d, every %d drawn; 1-minute load at start %.1f\n", width, height,
                    kFirstFrame, kLastFrame, every, load[0]);
    std::printf("# seed cpu_ms mfrag wedges area\n");
    for (long seed = first; seed <= last; ++seed) {
        const SeedCost cost = measureSeed(width, height, static_cast<uint32_t>(seed), every, query);
        std::printf("%ld %.2f %.3f %.1f %.2f\n", seed, cost.cpuMs, cost.fragments, cost.wedges, cost.area);
        std::fflush(stdout);
    }
    if (getloadavg(load, 1) == 1)
        std::printf("# 1-minute load at end %.1f\n", load[0]);
    glDeleteQueries(1, &query);
    context.destroy();
    return 0;
}
