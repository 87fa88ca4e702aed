// zellik-render: the whole kaleidoscope without a window, on a simulated
// clock, written as PNG and optionally traced frame by frame.
#include "platform/counter.h"
#include "scene/kaleidoscope_scene.h"
#include "scene/frame_trace.h"
#include "host/linux/headless_context.h"
#include "tools/render/png_file.h"
#include "tools/render/render_options.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string framePath(const std::string& folder, int64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05lld.png", static_cast<long long>(frame));
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + name;
}

int run(const RenderOptions& options) {
    HeadlessContext context{};
    if (!context.create(options.width, options.height))
        return 1;

    // One tick per frame at a rate of framesPerSecond ticks a second: frame n
    // is drawn at exactly n * 1000 / fps whole milliseconds.
    SteppedCounter clock{options.framesPerSecond, 1, 0};
    std::vector<unsigned char> pixels(static_cast<size_t>(options.width) * options.height * 4);
    int status = 0;
    {
        KaleidoscopeScene scene(options.width, options.height, options.seed, clock.counter());
        const uint32_t flags = options.mirrors ? kRenderMirrors : 0;
        std::vector<char> line(2048);
        for (int64_t frame = 1; frame <= options.frames && status == 0; ++frame) {
            clock.step();
            scene.renderFrame(flags);
            if (options.trace) {
                formatFrameTrace(scene, frame, line.data(), line.size());
                std::puts(line.data());
            }
            const bool last = frame == options.frames;
            const bool keep = options.every > 0 ? (frame % options.every == 0 || last) : last;
            if (keep && !options.out.empty()) {
                context.readPixels(pixels.data());
                const std::string path = options.every > 0 ? framePath(options.out, frame) : options.out;
                if (!writePng(path.c_str(), pixels.data(), options.width, options.height))
                    status = 1;
            }
        }
    }
    context.destroy();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zellik-render: %s\nTry 'zellik-render --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    return run(options);
}
