// A scene on the test process's headless context, with a millisecond counter
// the test moves by hand.
#pragma once
#include "scene/kaleidoscope_scene.h"
#include "tests/support/gl_test_context.h"

#include <memory>

struct SceneRig {
    SteppedCounter counter{1000, 1, 0};
    std::unique_ptr<KaleidoscopeScene> scene;

    explicit SceneRig(uint32_t seed = 7, int32_t width = 320, int32_t height = 240) {
        testContext(width, height);
        scene = std::make_unique<KaleidoscopeScene>(width, height, seed, counter.counter());
    }
    TileLayer& layer() { return scene->tileLayer; }
    void setTime(float seconds) { scene->clock.currentTime = seconds; }
    void frameAt(int64_t ms, uint32_t flags = kRenderMirrors) {
        counter.value = ms;
        scene->renderFrame(flags);
    }
};
