// A day of saver time on the simulated clock, the frames that allocate
// nothing, and decodes that give back all they take.
#include "platform/resource_bytes.h"
#include "scene/kaleidoscope_scene.h"
#include "tests/soak/allocation_counter.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// Where the allocations below escape to, so the compiler cannot drop them.
int* volatile boxedSink = nullptr;
void* volatile rawSink = nullptr;

TEST(AllocationCounter, SeesBothKindsAndTheirFrees) {
    startCountingAllocations();
    boxedSink = new int(5);
    rawSink = std::malloc(32);
    std::free(rawSink);
    delete boxedSink;
    const AllocationCounts counts = stopCountingAllocations();
    EXPECT_EQ(counts.news, 1u);
    EXPECT_GE(counts.mallocs, 1u);
    EXPECT_EQ(counts.frees, counts.news + counts.mallocs);
}

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
    const AllocationCounts counts = stopCountingAllocations();
    testing::internal::GetCapturedStderr();
    EXPECT_GT(counts.mallocs, 3u);
    EXPECT_EQ(counts.frees, counts.mallocs + counts.news);
}

TEST(LongRun, ADayInThirtyThreeMillisecondSteps) {
    testContext();
    SteppedCounter counter{1000, 33, 0}; // a millisecond counter, 33 ms a frame
    auto scene = std::make_unique<KaleidoscopeScene>(320, 240, 42, counter.counter());
    const int64_t frames = 24LL * 3600 * 1000 / 33;

    float lastTime = 0.0f;
    float lastBirth[kSpriteCount];
    int64_t lives[kSpriteCount] = {};
    for (int i = 0; i < kSpriteCount; ++i)
        lastBirth[i] = scene->tileLayer.sprites[i].birthTime;
    int64_t backwards = 0, sleepOutside = 0, offSchedule = 0, transitions = 0;
    bool wasActive = false;

    startCountingAllocations();
    for (int64_t frame = 1; frame <= frames; ++frame) {
        counter.step();
        scene->advanceFrame();
        const float now = scene->currentTime();
        backwards += now < lastTime ? 1 : 0;
        lastTime = now;
        if (frame > 60) // the first window closes after a second
            sleepOutside += (scene->sleepInterval() < 1 || scene->sleepInterval() > 1000) ? 1 : 0;
        transitions += (!wasActive && scene->transition.active) ? 1 : 0;
        wasActive = scene->transition.active;
        for (int i = 0; i < kSpriteCount; ++i) {
            const float birth = scene->tileLayer.sprites[i].birthTime;
            if (birth != lastBirth[i]) {
                // A new life continues the 16-second schedule of the old one,
                // within the clock's resolution late in the day (8 ms).
                offSchedule += std::fabs(birth - lastBirth[i] - 16.0f) > 0.02f ? 1 : 0;
                lastBirth[i] = birth;
                ++lives[i];
            }
        }
    }
    const AllocationCounts counts = stopCountingAllocations();

    EXPECT_EQ(backwards, 0);
    EXPECT_EQ(sleepOutside, 0);
    EXPECT_EQ(offSchedule, 0);
    EXPECT_NEAR(scene->currentTime(), frames * 0.033, 0.01);
    for (int i = 0; i < kSpriteCount; ++i)
        EXPECT_NEAR(lives[i], 86400 / 16, 2) << "sprite " << i;
    // A drift segment opens every 1 to 4 respawns and asks for a new wedge a
    // tenth of the time: a few hundred wedge changes a day.
    EXPECT_GT(transitions, 100);
    EXPECT_EQ(counts.mallocs, 0u);
    EXPECT_EQ(counts.news, 0u);
}

TEST(LongRun, DrawnFramesAllocateNothingOfOurOwn) {
    testContext();
    SteppedCounter counter{30, 1, 0};
    auto scene = std::make_unique<KaleidoscopeScene>(320, 240, 7, counter.counter());
    for (int i = 0; i < 30; ++i) { // let the driver settle its buffers
        counter.step();
        scene->renderFrame(kRenderMirrors);
    }
    startCountingAllocations();
    for (int i = 0; i < 1000; ++i) {
        counter.step();
        scene->renderFrame(i % 100 == 0 ? 0 : kRenderMirrors);
    }
    const AllocationCounts counts = stopCountingAllocations();
    // The OpenGL driver (C) may allocate as it likes; the saver's own code
    // allocates nothing per frame.
    EXPECT_EQ(counts.news, 0u);
    RecordProperty("driver_mallocs", static_cast<int>(counts.mallocs));
}

} // namespace
