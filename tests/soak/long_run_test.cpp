// A day of saver time that allocates nothing, and decodes that free all they take.
#include "platform/resource_bytes.h"
#include "scene/kaleidoscope_scene.h"
#include "tests/soak/allocation_counter.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Escapes the counter's own check below, so the compiler cannot drop it.
int* volatile boxedSink = nullptr;

// A decode, whole, damaged, cut short or refused, frees everything it
// allocated once its pixels are let go.
TEST(LongRun, DecodesLeaveNothingBehind) {
    ResourceBytes logo{};
    ASSERT_TRUE(lookupResource("LOGO_MASK", &logo));
    const std::string notJpeg = "GIF89a, a picture of another kind";
    std::vector<std::vector<unsigned char>> streams = {
        std::vector<unsigned char>(logo.data, logo.data + logo.size),
        std::vector<unsigned char>(logo.data, logo.data + 700),
        std::vector<unsigned char>(notJpeg.begin(), notJpeg.end())};
    uint32_t state = 99;
    for (int i = 0; i < 200; ++i) { // bit flips: some end a decode half-way
        streams.push_back(streams[0]);
        for (int flip = 0; flip < 4; ++flip, state = state * 1103515245u + 12345u)
            streams.back()[(state >> 8) % logo.size] ^= uint8_t(1u << ((state >> 4) % 8));
    }
    testing::internal::CaptureStderr();
    startCountingAllocations();
    for (const std::vector<unsigned char>& bytes : streams) {
        MaskTexture texture{};
        decodeMaskTexture(texture, bytes.data(), uint32_t(bytes.size()));
        discardMaskPixels(texture);
    }
    boxedSink = new int(5); // and one new, to see that the counter counts both kinds
    delete boxedSink;
    const AllocationCounts counts = stopCountingAllocations();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(counts.mallocs > 3 && counts.news == 1);
    EXPECT_EQ(counts.frees, counts.mallocs + counts.news);
}

// A day at 33 ms a frame: time never goes back, the sleep stays within its
// clamps, each new life keeps the 16-second schedule of the old one (within
// the clock's resolution late in the day, 8 ms), a drift segment asks for a
// new wedge often enough for a few hundred changes, and nothing allocates;
// then drawn frames, where the OpenGL driver (C) may allocate, but not our code.
TEST(LongRun, ADayInThirtyThreeMillisecondSteps) {
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
