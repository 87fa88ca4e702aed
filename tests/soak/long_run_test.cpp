// A day of saver time that allocates nothing.
#include "scene/kaleidoscope_scene.h"
#include "tests/soak/allocation_counter.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// Escapes the counter's own check below, so the compiler cannot drop the allocation.
int* volatile boxedSink = nullptr;

// A day at 33 ms a frame: time never goes back, the sleep stays within its
// clamps, each new life keeps the 16-second schedule of the old one (within
// the clock's resolution late in the day, 8 ms), a drift segment asks for a
// new wedge often enough for a few hundred changes, and nothing allocates;
// then drawn frames, where the OpenGL driver (C) may allocate, but not our code. The counter is seen to
// count first. (Decodes that leak show in the sanitizer build's run of MaskTexture.BadBytesFailCleanly.)
TEST(LongRun, ADayInThirtyThreeMillisecondSteps) {
    startCountingAllocations();
    boxedSink = new int(5);
    delete boxedSink;
    void* volatile bytes = std::malloc(8);
    std::free(bytes);
    const AllocationCounts own = stopCountingAllocations();
    ASSERT_TRUE(own.mallocs == 1 && own.news == 1 && own.frees == 2);
    testContext();
    SteppedCounter counter{1000, 33, 0};
    auto scene = std::make_unique<KaleidoscopeScene>(320, 240, 42, counter.counter());
    const int64_t frames = 24LL * 3600 * 1000 / 33;
    float lastTime = 0.0f, lastBirth[kSpriteCount];
    for (int i = 0; i < kSpriteCount; ++i)
        lastBirth[i] = scene->tileLayer.sprites[i].birthTime;
    int64_t faults = 0, lives = 0, transitions = 0;
    bool wasActive = false;
    startCountingAllocations();
    for (int64_t frame = 1; frame <= frames; ++frame) {
        counter.step();
        scene->advanceFrame();
        const int32_t sleep = scene->sleepInterval(); // the first window closes after a second
        faults += scene->currentTime() < lastTime || (frame > 60 && (sleep < 1 || sleep > 1000));
        lastTime = scene->currentTime();
        transitions += !wasActive && scene->transition.active;
        wasActive = scene->transition.active;
        for (int i = 0; i < kSpriteCount; ++i) {
            const float birth = scene->tileLayer.sprites[i].birthTime;
            if (birth != lastBirth[i]) {
                faults += std::fabs(birth - lastBirth[i] - 16.0f) > 0.02f;
                lastBirth[i] = birth;
                ++lives;
            }
        }
    }
    const AllocationCounts counts = stopCountingAllocations();
    EXPECT_EQ(faults, 0);
    EXPECT_NEAR(scene->currentTime(), frames * 0.033, 0.01);
    EXPECT_NEAR(lives, kSpriteCount * 86400 / 16, 6);
    EXPECT_GT(transitions, 100);
    EXPECT_TRUE(counts.mallocs == 0 && counts.news == 0);
    for (int i = 0; i < 1030; ++i) {
        if (i == 30) // once the driver has settled its buffers
            startCountingAllocations();
        counter.step();
        scene->renderFrame(i % 100 == 0 ? 0 : kRenderMirrors);
    }
    EXPECT_EQ(stopCountingAllocations().news, 0u);
}

} // namespace
