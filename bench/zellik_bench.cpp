// Figures for bench/README.md: the cost of a frame beside the cost of only
// clearing, texture start-up, whole-process start-up and peak memory. Run
// from the build tree: bench/zellik-bench [path to zellik-render]
#define GL_GLEXT_PROTOTYPES 1
#include "platform/gl.h"
#include <GL/glext.h>
#include "platform/resource_bytes.h"
#include "scene/kaleidoscope_scene.h"
#include "tiles/mask_texture.h"
#include "host/linux/headless_context.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <string>
#include <vector>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Cost {
    double cpuMs;  // process CPU (all of llvmpipe's threads) per frame
    double wallMs; // per frame
};

// Frames of the real scene with the given table wedge held, each finished
// before the next (glFinish stands in for the swap).
Cost sceneCost(int32_t width, int32_t height, int entry, int frames) {
    SteppedCounter counter{30, 1, 0};
    KaleidoscopeScene scene(width, height, 42, counter.counter());
    for (int i = 0; i < 150; ++i) { // five seconds in: all three tiles on screen
        counter.step();
        scene.renderFrame(kRenderMirrors);
    }
    glFinish();
    const double cpu0 = cpuSeconds(), wall0 = wallSeconds();
    for (int i = 0; i < frames; ++i) {
        scene.transition.active = false;
        scene.selectWedge(entry, false);
        counter.step();
        scene.renderFrame(kRenderMirrors);
        glFinish();
    }
    return Cost{(cpuSeconds() - cpu0) * 1000 / frames, (wallSeconds() - wall0) * 1000 / frames};
}

// Frames that clear and draw only the logo strip: the pass state and one
// textured quad, without any wedge copy.
Cost logoCost(int32_t width, int32_t height, int frames) {
    SteppedCounter counter{30, 1, 0};
    KaleidoscopeScene scene(width, height, 42, counter.counter());
    MirrorWedge none{};
    none.segmentCount = 0;
    glFinish();
    const double cpu0 = cpuSeconds(), wall0 = wallSeconds();
    for (int i = 0; i < frames; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        scene.drawMirrored(none);
        glFinish();
    }
    return Cost{(cpuSeconds() - cpu0) * 1000 / frames, (wallSeconds() - wall0) * 1000 / frames};
}

// Fragments a frame of the real scene makes (occlusion query: every
// fragment that reaches blending counts), averaged over `frames` frames.
double fragmentsPerFrame(int32_t width, int32_t height, int entry, int frames) {
    SteppedCounter counter{30, 1, 0};
    KaleidoscopeScene scene(width, height, 42, counter.counter());
    for (int i = 0; i < 150; ++i) {
        counter.step();
        scene.renderFrame(kRenderMirrors);
    }
    GLuint query = 0;
    glGenQueries(1, &query);
    double total = 0;
    for (int i = 0; i < frames; ++i) {
        scene.transition.active = false;
        scene.selectWedge(entry, false);
        counter.step();
        glBeginQuery(GL_SAMPLES_PASSED, query);
        scene.renderFrame(kRenderMirrors);
        glEndQuery(GL_SAMPLES_PASSED);
        GLuint samples = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
        total += samples;
    }
    glDeleteQueries(1, &query);
    return total / frames;
}

// Cost of one fragment of the tile pass alone: full-screen quads with the
// same state (blended, alpha atlas minified trilinearly, modulated colour),
// nothing clipped, no per-draw work to speak of.
double fillNanosecondsPerFragment(int32_t width, int32_t height) {
    SteppedCounter counter{30, 1, 0};
    KaleidoscopeScene scene(width, height, 42, counter.counter());
    const int layers = 12;
    glFinish();
    const double cpu0 = cpuSeconds();
    for (int frame = 0; frame < 10; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        scene.tileLayer.beginPass();
        glColor4f(0.8f, 0.6f, 0.4f, 0.7f);
        for (int i = 0; i < layers; ++i) {
            // The screen is 11 units high at the plane; the quad covers it
            // and maps the atlas about as densely as a large tile does.
            glBegin(GL_QUADS);
            glTexCoord2f(0.0f, 1.0f);
            glVertex3f(-12.0f, -6.0f, 0.0f);
            glTexCoord2f(1.0f, 1.0f);
            glVertex3f(12.0f, -6.0f, 0.0f);
            glTexCoord2f(1.0f, 0.0f);
            glVertex3f(12.0f, 6.0f, 0.0f);
            glTexCoord2f(0.0f, 0.0f);
            glVertex3f(-12.0f, 6.0f, 0.0f);
            glEnd();
        }
        scene.tileLayer.endPass();
        glFinish();
    }
    const double fragments = 10.0 * layers * width * height;
    return (cpuSeconds() - cpu0) * 1e9 / fragments;
}

Cost clearCost(int frames) {
    glFinish();
    const double cpu0 = cpuSeconds(), wall0 = wallSeconds();
    for (int i = 0; i < frames; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
    return Cost{(cpuSeconds() - cpu0) * 1000 / frames, (wallSeconds() - wall0) * 1000 / frames};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the renderer as a new process; wall seconds, and its peak RSS in MiB.
bool runRenderer(const std::string& render, const std::vector<std::string>& args, double& seconds,
                 double& rssMiB) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(render.c_str()));
    std::transform(args.begin(), args.end(), std::back_inserter(argv),
                   [](const std::string& a) { return const_cast<char*>(a.c_str()); });
    argv.push_back(nullptr);
    const double start = wallSeconds();
    const pid_t child = fork();
    if (child == 0) {
        execv(render.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return false;
    seconds = wallSeconds() - start;
    rssMiB = usage.ru_maxrss / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string render = argc > 1 ? argv[1] : "tools/zellik-render";
    struct Size {
        int32_t width, height;
        const char* name;
        int frames;
    };
    const Size sizes[] = {
        {1280, 720, "1280x720", 120}, {1920, 1080, "1920x1080", 80}, {3840, 2160, "3840x2160", 30}};

    std::printf("Per finished frame: process CPU ms (all of llvmpipe's threads) / wall ms\n\n");
    std::printf("| size | clear only | clear + logo | 10 wedges | 24 wedges |\n|---|---|---|---|---|\n");
    for (const Size& size : sizes) {
        HeadlessContext context{};
        if (!context.create(size.width, size.height))
            return 1;
        const Cost ten = sceneCost(size.width, size.height, 0, size.frames);
        const Cost twentyFour = sceneCost(size.width, size.height, 7, size.frames);
        const Cost floor = clearCost(size.frames);
        const Cost logo = logoCost(size.width, size.height, size.frames);
        std::printf("| %s | %.2f / %.2f | %.2f / %.2f | %.2f / %.2f | %.2f / %.2f |\n", size.name,
                    floor.cpuMs, floor.wallMs, logo.cpuMs, logo.wallMs, ten.cpuMs, ten.wallMs,
                    twentyFour.cpuMs, twentyFour.wallMs);
        context.destroy();
    }

    // How much of a 1080p frame is the fill that the picture needs.
    {
        HeadlessContext context{};
        if (!context.create(1920, 1080))
            return 1;
        const double perFragment = fillNanosecondsPerFragment(1920, 1080);
        std::printf("\n| 1920x1080 | fragments per frame | fill at %.2f ns CPU each, ms |\n|---|---|---|\n",
                    perFragment);
        for (const int entry : {0, 7}) {
            const double fragments = fragmentsPerFrame(1920, 1080, entry, 20);
            std::printf("| %d wedges | %.0f (%.2f per pixel) | %.2f |\n", 10 + 2 * entry, fragments,
                        fragments / (1920.0 * 1080.0), fragments * perFragment / 1e6);
        }
        context.destroy();
    }

    // Start-up in one process, step by step, at 1920x1080.
    {
        const double t0 = wallSeconds();
        HeadlessContext context{};
        if (!context.create(1920, 1080))
            return 1;
        const double t1 = wallSeconds();
        SteppedCounter counter{30, 1, 0};
        auto* scene = new KaleidoscopeScene(1920, 1080, 42, counter.counter());
        glFinish();
        const double t2 = wallSeconds();
        counter.step();
        scene->renderFrame(kRenderMirrors);
        glFinish();
        const double t3 = wallSeconds();
        std::printf("\n| start-up step (1920x1080) | ms |\n|---|---|\n");
        std::printf("| context (EGL, llvmpipe) | %.1f |\n| scene set-up, both textures included | %.1f |\n"
                    "| first frame | %.1f |\n",
                    (t1 - t0) * 1000, (t2 - t1) * 1000, (t3 - t2) * 1000);
        delete scene;
        context.destroy();
    }

    // Texture start-up: decode, then upload with the mipmap chain.
    HeadlessContext context{};
    if (!context.create(64, 64))
        return 1;
    std::printf("\n| texture | decode ms | upload + mipmaps ms |\n|---|---|---|\n");
    for (const char* name : {"JPEG_ZELLIK_MASK", "LOGO_MASK"}) {
        ResourceBytes bytes{};
        if (!lookupResource(name, &bytes))
            return 1;
        std::vector<double> decodeMs, uploadMs;
        for (int i = 0; i < 9; ++i) {
            MaskTexture texture{};
            const double t0 = wallSeconds();
            decodeMaskTexture(texture, bytes.data, bytes.size);
            const double t1 = wallSeconds();
            uploadMaskTexture(texture);
            glFinish();
            const double t2 = wallSeconds();
            glDeleteTextures(1, &texture.textureName);
            decodeMs.push_back((t1 - t0) * 1000);
            uploadMs.push_back((t2 - t1) * 1000);
        }
        std::printf("| %s | %.2f | %.2f |\n", name, median(decodeMs), median(uploadMs));
    }
    context.destroy();

    // Whole processes: start to first finished frame (and exit), and peak RSS
    // over 300 frames.
    std::printf("\n| process | median wall s | peak RSS MiB |\n|---|---|---|\n");
    for (const Size& size : {sizes[0], sizes[1]}) {
        std::vector<double> times;
        double rss = 0, seconds = 0;
        for (int i = 0; i < 7; ++i) {
            if (!runRenderer(render, {"--size", size.name, "--frames", "1"}, seconds, rss))
                return 1;
            times.push_back(seconds);
        }
        std::printf("| start to first frame, %s | %.3f | %.1f |\n", size.name, median(times), rss);
        if (!runRenderer(render, {"--size", size.name, "--frames", "300"}, seconds, rss))
            return 1;
        std::printf("| 300 frames, %s | %.3f | %.1f |\n", size.name, seconds, rss);
    }
    return 0;
}
