// The scene's arithmetic: the frame clock and its sleep controller, the
// wedge geometry, the portable cosine and sine, and the random generator.
#include "scene/frame_clock.h"
#include "scene/kaleidoscope_scene.h"
#include "scene/mirror_wedge.h"
#include "scene/portable_math.h"
#include "scene/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// A clock on a millisecond counter, seeded with a previous rate and sleep,
// ticked at the given times.
struct ClockRun {
    float previousRate; // framesPerSecond before the first tick (50 after a start)
    int32_t sleep;      // sleepInterval before the first tick
    std::vector<int64_t> ticks;
    float rate; // expected afterwards
    int32_t expectedSleep;
    int32_t frames;
    float windowStart;
};

// The once-a-second window: ticks below 1.0 s only count; the tick at or
// after it measures the rate, and the sleep moves by half the difference of
// the target period and the previous window's period, in whole milliseconds,
// clamped to [1, 1000]; a previous rate below one frame a second skips that.
const ClockRun kClockRuns[] = {
    {50, 41, {33}, 50, 41, 1, 0},
    {50, 41, {33, 999}, 50, 41, 2, 0},
    {50, 41, {1000}, 0, 47, 0, 1},  // 41 + (33 - 1000 / 50) / 2
    {100, 41, {1000}, 0, 52, 0, 1}, // + (33 - 10) / 2
    {20, 41, {1000}, 0, 33, 0, 1},  // (33 - 50) / 2 rounds toward zero: -8
    {30.9f, 41, {1000}, 0, 41, 0, 1},
    {33, 41, {1000}, 0, 42, 0, 1}, // 1000 / 33 is 30 whole milliseconds
    {0.5f, 41, {1000}, 0, 41, 0, 1},
    {0.5f, -5, {1000}, 0, 1, 0, 1},
    {1, 3, {1000}, 0, 1, 0, 1},                                     // (33 - 1000) / 2 clamps to 1
    {1000, 995, {1000}, 0, 1000, 0, 1},                             // + 16 clamps to 1000
    {50, 41, {100, 200, 300, 400, 5400}, 4.0f / 5.4f, 47, 0, 5.4f}, // a stall: no catching up
    {50, 41, {100, 200, 300, 400, 5400, 5500}, 4.0f / 5.4f, 47, 1, 5.4f},
};

TEST(FrameClock, WindowsRatesAndSleep) {
    for (const ClockRun& run : kClockRuns) {
        SteppedCounter counter{1000, 1, 0};
        FrameClock clock{};
        clock.counter = counter.counter();
        clock.startClock();
        EXPECT_EQ(clock.framesPerSecond, 50.0f);
        clock.framesPerSecond = run.previousRate;
        clock.sleepInterval = run.sleep;
        for (const int64_t ms : run.ticks) {
            counter.value = ms;
            clock.tickClock();
        }
        const std::string at = "after the tick at " + std::to_string(run.ticks.back()) + " from rate " +
                               std::to_string(run.previousRate);
        if (run.rate != 0) {
            EXPECT_FLOAT_EQ(clock.framesPerSecond, run.rate) << at;
        }
        EXPECT_EQ(clock.sleepInterval, run.expectedSleep) << at;
        EXPECT_EQ(clock.frameCount, run.frames) << at;
        EXPECT_FLOAT_EQ(clock.windowStart, run.windowStart) << at;
        EXPECT_EQ(clock.currentTime, float(double(run.ticks.back()) * double(0.001f))) << at;
    }
}

TEST(FrameClock, TheMeasuredRateSteersTheNextWindow) {
    SteppedCounter counter{1000, 1, 0};
    FrameClock clock{};
    clock.counter = counter.counter();
    clock.startClock();
    for (int64_t ms = 16; ms <= 59 * 16; ms += 16) {
        counter.value = ms;
        clock.tickClock();
    }
    counter.value = 1000;
    clock.tickClock();
    EXPECT_EQ(clock.framesPerSecond, 59.0f);
    counter.value = 2000;
    clock.tickClock();
    EXPECT_EQ(clock.sleepInterval, 47 + 8); // (33 - 1000 / 59) / 2
    // A second start changes nothing: one reference per program run.
    counter.value = 99999;
    clock.startClock();
    EXPECT_EQ(clock.startCount, 0);
    EXPECT_EQ(clock.currentTime, 2.0f);
}

TEST(FrameClock, TimeIsWholeMillisecondsAndNeverDecreases) {
    SteppedCounter thirds{3000, 1, 0};
    FrameClock clock{};
    clock.counter = thirds.counter();
    clock.startClock();
    for (const int64_t ticks : {2, 101}) { // 0.666 and 33.666 ms
        thirds.value = ticks;
        clock.tickClock();
    }
    EXPECT_EQ(clock.currentTime, float(33 * double(0.001f)));
    // A week on, the resolution is a sixteenth of a second, still monotonic.
    SteppedCounter ms{1000, 33, 7LL * 86400 * 1000 - 2000};
    clock = FrameClock{};
    clock.counter = ms.counter();
    ms.value = 0;
    clock.startClock();
    ms.value = 7LL * 86400 * 1000 - 2000;
    float last = 0;
    for (int i = 0; i < 60; ++i, ms.step()) {
        clock.tickClock();
        EXPECT_GE(clock.currentTime, last);
        last = clock.currentTime;
    }
    EXPECT_EQ(last * 16.0f, std::floor(last * 16.0f));
}

TEST(FrameClock, ElapsedMillisecondsNeverOverflows) {
    // Equal to ticks * 1000 / frequency wherever that product fits.
    for (const int64_t f : {1LL, 3LL, 1000LL, 1193182LL, 3579545LL, 10000000LL, 2997000000LL})
        for (const int64_t t :
             {0LL, 1LL, 999LL, 1000LL, 1001LL, 123456789LL, 987654321987LL, -1LL, -1001LL}) {
            EXPECT_EQ(elapsedMilliseconds(t, f), t * 1000 / f) << t << " ticks at " << f;
        }
    // 40 days of a 3 GHz counter, where the product overflows; no counter at all.
    EXPECT_EQ(elapsedMilliseconds(40LL * 86400 * 3000000000LL + 1500000000LL, 3000000000LL),
              40LL * 86400 * 1000 + 500);
    const int64_t most = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(elapsedMilliseconds(most, 1000000000), most / 1000000000 * 1000 + most % 1000000000 / 1000000);
    EXPECT_EQ(elapsedMilliseconds(123456, 0), 0);
    EXPECT_EQ(elapsedMilliseconds(123456, -5), 0);
}

MirrorWedge wedgeOf(float angle) {
    MirrorWedge wedge{};
    buildWedge(wedge, angle);
    return wedge;
}

// Segment counts: a remainder above half a degree adds one; exactly 0.5 does
// not. The table entries (360 / n rounded to single precision) close the circle.
TEST(MirrorWedge, SegmentsAndChords) {
    const struct {
        float angle;
        int segments;
        float chord; // 0: not pinned
    } cases[] = {{float(360.0 / 10), 10, 2.472135f},
                 {float(360.0 / 12), 12, 2.070552f},
                 {float(360.0 / 14), 14, 1.780167f},
                 {float(360.0 / 16), 16, 1.560722f},
                 {float(360.0 / 18), 18, 1.389185f},
                 {float(360.0 / 20), 20, 1.251476f},
                 {float(360.0 / 22), 22, 1.138519f},
                 {float(360.0 / 24), 24, 1.044210f},
                 {33.0f, 11, 0},
                 {35.99f, 10, 0},
                 {35.9f, 11, 0},
                 {22.46875f, 16, 0},
                 {22.46f, 17, 0},
                 {180.0f, 2, 0}};
    for (const auto& c : cases) {
        const MirrorWedge w = wedgeOf(c.angle);
        EXPECT_EQ(w.angle, c.angle);
        EXPECT_EQ(w.segmentCount, c.segments) << c.angle;
        if (c.chord != 0) {
            EXPECT_NEAR(w.chord, c.chord, 1.5e-6) << c.angle;
        }
    }
    EXPECT_GE(wedgeOf(0.0f).segmentCount, 0);
    EXPECT_GE(wedgeOf(-10.0f).segmentCount, 0);
}

TEST(MirrorWedge, PlanesBoundTheWedgeFromStraightDown) {
    const MirrorWedge w = wedgeOf(36.0f);
    const double start[4] = {1, 0, 0, 0};
    EXPECT_TRUE(std::equal(start, start + 4, w.startPlane));
    EXPECT_NEAR(w.endPlane[0], -0.809019, 1e-6);
    EXPECT_NEAR(w.endPlane[1], -0.587783, 1e-6);
    EXPECT_EQ(w.endPlane[2], 0.0);
    EXPECT_EQ(w.endPlane[3], 0.0);
    // The radian constant of 270 degrees lies a little below 3 pi / 2.
    EXPECT_NEAR(w.rimStart.x, -0.0000152, 1e-7);
    EXPECT_FLOAT_EQ(w.rimStart.y, -4.0f);
    EXPECT_EQ(w.rimStart.z, 0.0f);
    EXPECT_NEAR(w.rimEnd.x, 4 * std::sin(36 * M_PI / 180), 3e-5);
    EXPECT_NEAR(w.rimEnd.y, -4 * std::cos(36 * M_PI / 180), 3e-5);
}

TEST(PortableMath, AgreesWithTheCLibraryToAnUlp) {
    for (double x = -200.0; x <= 200.0; x += 0.0137) {
        EXPECT_NEAR(portableCos(x), std::cos(x), 2.3e-16) << x;
        EXPECT_NEAR(portableSin(x), std::sin(x), 2.3e-16) << x;
    }
    for (double x = 1000.0; x <= 70000.0; x += 97.3) {
        EXPECT_NEAR(portableCos(x), std::cos(x), 1e-12) << x;
        EXPECT_NEAR(portableSin(x), std::sin(x), 1e-12) << x;
    }
}

TEST(RandomGenerator, IsTheWindowsRuntimeSequence) {
    RandomGenerator g{};
    g.seed(1);
    for (const int32_t value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
        EXPECT_EQ(g.next(), value);
    }
    // A draw stays below 1 even for the largest output, and an integer in
    // [0, n) takes each value for exactly 1/n of the outputs.
    EXPECT_LT(32767 * double(kRandomScale), 1.0);
    for (const int n : {2, 3, 4, 8}) {
        std::vector<int> counts(size_t(n), 0);
        for (int32_t output = 0; output <= 32767; ++output)
            ++counts[size_t(output * double(kRandomScale) * n)];
        const auto [least, most] = std::minmax_element(counts.begin(), counts.end());
        EXPECT_LE(*most - *least, 1) << n;
    }
    // The 256 possible seeds of a saver run start 256 different sequences.
    std::vector<int64_t> starts;
    for (uint32_t seed = 0; seed < 256; ++seed) {
        g.seed(seed);
        g.next();
        starts.push_back(int64_t{g.next()} * 65536 + g.next());
    }
    std::sort(starts.begin(), starts.end());
    EXPECT_EQ(std::adjacent_find(starts.begin(), starts.end()), starts.end());
    EXPECT_LT(seedFromCalendarTime(), 256u);
}

} // namespace
