// The scene's arithmetic: frame clock, wedge geometry, cosine and sine, random numbers.
#include "scene/kaleidoscope_scene.h"
#include "scene/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <vector>

namespace {

// Ticks within a second only count; the one after measures the rate (no
// catching up after a stall) and moves the sleep by half the difference of
// 33 ms and the previous window's period in whole milliseconds, toward zero,
// clamped to [1, 1000]; a previous rate below 1 a second moves nothing. (The
// time's whole milliseconds, truncated, show in the seed-7 trace.)
TEST(FrameClock, WindowsRatesAndSleep) {
    const struct {
        float previousRate;         // framesPerSecond before the ticks (50 after a start)
        int32_t sleep;              // and sleepInterval
        std::vector<int64_t> ticks; // milliseconds
        float rate;                 // then: 0 means not pinned
        int32_t expectedSleep, frames;
        float windowStart;
    } runs[] = {
        // clang-format off
        {50, 41, {33, 999}, 50, 41, 2, 0}, {50, 41, {1000}, 0, 47, 0, 1},    {20, 41, {1000}, 0, 33, 0, 1},
        {30.9f, 41, {1000}, 0, 41, 0, 1},  {33, 41, {1000}, 0, 42, 0, 1},    {0.5f, 41, {1000}, 0, 41, 0, 1},
        {0.5f, -5, {1000}, 0, 1, 0, 1},    {1, 3, {1000}, 0, 1, 0, 1},       {20, 8, {1000}, 0, 1, 0, 1},
        {33, 1000, {1000}, 0, 1000, 0, 1},
        {50, 41, {100, 200, 300, 400, 5400}, 4.0f / 5.4f, 47, 0, 5.4f},
        {50, 41, {100, 200, 300, 400, 5400, 5500}, 4.0f / 5.4f, 47, 1, 5.4f},
        // clang-format on
    };
    for (const auto& run : runs) {
        SteppedCounter counter{1000, 1, 0};
        FrameClock clock{};
        clock.counter = counter.counter();
        clock.startClock();
        EXPECT_EQ(clock.framesPerSecond, 50.0f);
        clock.framesPerSecond = run.previousRate;
        clock.sleepInterval = run.sleep;
        counter.value = 20;
        clock.startClock(); // a second start changes nothing
        for (const int64_t ms : run.ticks) {
            counter.value = ms;
            clock.tickClock();
        }
        const std::string at = std::to_string(run.previousRate) + " then " + std::to_string(run.ticks.back());
        EXPECT_TRUE(run.rate == 0 || clock.framesPerSecond == run.rate) << at;
        EXPECT_EQ(clock.sleepInterval, run.expectedSleep) << at;
        EXPECT_EQ(clock.frameCount, run.frames) << at;
        EXPECT_FLOAT_EQ(clock.windowStart, run.windowStart) << at;
        EXPECT_EQ(clock.currentTime, float(double(run.ticks.back()) * double(0.001f))) << at;
    }
}

// A hold over a minute's pause after half a second at 30 frames a second carries the time on from the
// last tick: the window closes a second of frames later, having measured about 31 a second.
TEST(FrameClock, HoldsOverAPause) {
    SteppedCounter counter{1000, 33, 0};
    FrameClock clock{};
    clock.counter = counter.counter();
    clock.startClock();
    for (int i = 0; i < 33; ++i, counter.step()) {
        if (i == 16) {
            counter.value += 60000; // SIGSTOP, a minute, SIGCONT
            clock.holdClock();
        }
        clock.tickClock();
    }
    EXPECT_EQ(clock.windowStart, float(1023 * double(0.001f)));
    EXPECT_NEAR(clock.framesPerSecond, 31, 0.5f);
}

TEST(FrameClock, ElapsedMillisecondsNeverOverflows) {
    for (const int64_t f : {1LL, 3LL, 1000LL, 1193182LL, 3579545LL, 10000000LL, 2997000000LL})
        for (const int64_t t : {0LL, 1LL, 999LL, 1000LL, 1001LL, 123456789LL, 987654321987LL, -1LL, -1001LL})
            EXPECT_EQ(elapsedMilliseconds(t, f), t * 1000 / f) << t << " ticks at " << f;
    // 40 days of a 3 GHz counter, where the direct product overflows; no counter.
    EXPECT_EQ(elapsedMilliseconds(40LL * 86400 * 3000000000LL + 1500000000LL, 3000000000LL), 3456000500LL);
    const int64_t most = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(elapsedMilliseconds(most, 1000000000), most / 1000000000 * 1000 + most % 1000000000 / 1000000);
    EXPECT_EQ(elapsedMilliseconds(123456, 0), 0);
    EXPECT_EQ(elapsedMilliseconds(123456, -5), 0);
}

// A remainder above half a degree adds a segment, 0.5 not (no angle, one); the
// table angles close the circle; the first edge points down (a little below 3 pi / 2), which
// shows in the chords, the rim points' only use.
TEST(MirrorWedge, SegmentsChordsAndPlanes) {
    const struct {
        float angle;
        int segments;
        float chord; // 0: not pinned
    } cases[] = {
        // clang-format off
        {float(360.0 / 10), 10, 2.472135f}, {float(360.0 / 24), 24, 1.044210f}, {33, 11, 0}, {35.99f, 10, 0},
        {35.9f, 11, 0}, {22.46875f, 16, 0}, {22.46f, 17, 0}, {180, 2, 0}, {0, 1, 0}, {-10, 1, 0},
        // clang-format on
    };
    for (const auto& c : cases) {
        MirrorWedge w{};
        buildWedge(w, c.angle);
        EXPECT_EQ(w.segmentCount, c.segments) << c.angle;
        EXPECT_TRUE(c.chord == 0 || std::abs(w.chord - c.chord) < 1.5e-6) << c.angle << ": " << w.chord;
        const double a = c.angle * M_PI / 180;
        EXPECT_TRUE(w.startPlane[0] == 1 && w.startPlane[1] == 0 && w.startPlane[2] == 0 &&
                    w.startPlane[3] == 0);
        EXPECT_TRUE(std::abs(w.endPlane[0] + std::cos(a)) < 1e-5 &&
                    std::abs(w.endPlane[1] + std::sin(a)) < 1e-5 && w.endPlane[2] == 0 && w.endPlane[3] == 0)
            << c.angle;
    }
}

// Within an ulp of the C library near zero, and close far from it.
TEST(PortableMath, AgreesWithTheCLibrary) {
    for (double x = -200.0; x <= 70000.0; x += x < 200 ? 0.0137 : 97.3) {
        const double within = x < 200 ? 2.3e-16 : 1e-12;
        EXPECT_TRUE(std::abs(portableCos(x) - std::cos(x)) <= within &&
                    std::abs(portableSin(x) - std::sin(x)) <= within)
            << x;
    }
}

// The Windows C runtime's sequence, and a draw below 1 even for the largest output.
TEST(RandomGenerator, IsTheWindowsRuntimeSequence) {
    RandomGenerator g{};
    g.seed(1);
    for (const int32_t value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(g.next(), value);
    EXPECT_LT(32767 * double(kRandomScale), 1.0);
    const std::time_t before = std::time(nullptr);
    const uint32_t seed = seedFromCalendarTime(); // the calendar time modulo 256
    EXPECT_TRUE(seed == uint32_t(before % 256) || seed == uint32_t((before + 1) % 256)) << seed;
}

} // namespace
