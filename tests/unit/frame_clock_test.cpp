// The frame clock: whole-millisecond time, the once-a-second frame-rate
// window and the sleep controller.
#include "scene/frame_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A clock on a millisecond counter that the test sets by hand.
struct ManualClock {
    SteppedCounter counter{1000, 1, 0};
    FrameClock clock{};

    ManualClock() {
        clock.counter = counter.counter();
        clock.startClock();
    }
    void tickAt(int64_t ms) {
        counter.value = ms;
        clock.tickClock();
    }
};

TEST(FrameClock, StartsWithTheSeedRateAndAnOpenWindow) {
    ManualClock m;
    EXPECT_EQ(m.clock.framesPerSecond, 50.0f);
    EXPECT_EQ(m.clock.currentTime, 0.0f);
    EXPECT_EQ(m.clock.windowStart, 0.0f);
    EXPECT_EQ(m.clock.frameCount, 0);
    EXPECT_EQ(m.clock.sleepInterval, 41);
    EXPECT_EQ(m.clock.targetFrameRate, 30);
}

TEST(FrameClock, ASecondStartChangesNothing) {
    ManualClock m;
    m.tickAt(500);
    m.counter.value = 99999;
    m.clock.startClock();
    EXPECT_EQ(m.clock.startCount, 0);
    EXPECT_EQ(m.clock.frameCount, 1);
    EXPECT_EQ(m.clock.currentTime, 0.5f);
}

TEST(FrameClock, TicksWithinTheFirstSecondOnlyCount) {
    ManualClock m;
    m.tickAt(33);
    EXPECT_EQ(m.clock.frameCount, 1);
    EXPECT_EQ(m.clock.framesPerSecond, 50.0f);
    EXPECT_EQ(m.clock.sleepInterval, 41);
    EXPECT_EQ(m.clock.currentTime, static_cast<float>(33 * static_cast<double>(0.001f)));
    m.tickAt(999);
    EXPECT_EQ(m.clock.frameCount, 2);
    EXPECT_EQ(m.clock.sleepInterval, 41);
}

TEST(FrameClock, TimeIsWholeMillisecondsTruncated) {
    SteppedCounter counter{3000, 1, 0};
    FrameClock clock{};
    clock.counter = counter.counter();
    clock.startClock();
    counter.value = 2; // 0.666 ms
    clock.tickClock();
    EXPECT_EQ(clock.currentTime, 0.0f);
    counter.value = 101; // 33.666 ms
    clock.tickClock();
    EXPECT_EQ(clock.currentTime, static_cast<float>(33 * static_cast<double>(0.001f)));
}

TEST(FrameClock, FirstWindowUsesTheSeedRateThenTheMeasuredOne) {
    ManualClock m;
    for (int i = 1; i <= 59; ++i)
        m.tickAt(i * 16);
    ASSERT_EQ(m.clock.frameCount, 59);
    m.tickAt(1000); // exactly 1.0 s closes the window
    EXPECT_EQ(m.clock.framesPerSecond, 59.0f);
    EXPECT_EQ(m.clock.sleepInterval, 47); // 41 + (33 - 1000 / 50) / 2
    EXPECT_EQ(m.clock.frameCount, 0);
    EXPECT_EQ(m.clock.windowStart, 1.0f);
    for (int i = 1; i <= 10; ++i)
        m.tickAt(1000 + i * 10);
    m.tickAt(2000);
    EXPECT_EQ(m.clock.sleepInterval, 47 + 8); // (33 - 1000 / 59) / 2
    EXPECT_EQ(m.clock.framesPerSecond, 10.0f);
}

TEST(FrameClock, JustBelowOneSecondKeepsCounting) {
    ManualClock m;
    m.tickAt(999);
    EXPECT_EQ(m.clock.frameCount, 1);
    EXPECT_EQ(m.clock.windowStart, 0.0f);
}

TEST(FrameClock, AdjustmentFollowsThePreviousRate) {
    struct Case {
        float previousRate;
        int32_t change;
    };
    // Whole-millisecond periods: 1000 / 33 is 30, so a rate of 33 still adds 1.
    for (const Case c : {Case{100.0f, 11}, Case{20.0f, -8}, Case{30.0f, 0}, Case{30.9f, 0}, Case{33.0f, 1}}) {
        ManualClock m;
        m.clock.framesPerSecond = c.previousRate;
        m.tickAt(1000);
        EXPECT_EQ(m.clock.sleepInterval, 41 + c.change) << c.previousRate;
    }
}

TEST(FrameClock, ALongStallClosesOneWindowWithoutCatchingUp) {
    ManualClock m;
    for (int i = 1; i <= 4; ++i)
        m.tickAt(i * 100);
    m.tickAt(5400);
    EXPECT_FLOAT_EQ(m.clock.framesPerSecond, 4.0f / 5.4f);
    EXPECT_EQ(m.clock.windowStart, m.clock.currentTime);
    m.tickAt(5500);
    EXPECT_EQ(m.clock.frameCount, 1);
}

TEST(FrameClock, ARateBelowOneFrameASecondSkipsTheAdjustment) {
    ManualClock m;
    m.clock.framesPerSecond = 0.5f;
    m.tickAt(1000);
    EXPECT_EQ(m.clock.sleepInterval, 41);
    m.clock.framesPerSecond = 0.5f;
    m.clock.sleepInterval = -5;
    m.tickAt(2000);
    EXPECT_EQ(m.clock.sleepInterval, 1); // the clamp still applies
}

TEST(FrameClock, SleepStaysWithinOneAndAThousand) {
    ManualClock m;
    m.clock.sleepInterval = 3;
    m.clock.framesPerSecond = 1.0f; // (33 - 1000) / 2 = -483
    m.tickAt(1000);
    EXPECT_EQ(m.clock.sleepInterval, 1);
    m.clock.sleepInterval = 995;
    m.clock.framesPerSecond = 1000.0f; // (33 - 1) / 2 = 16
    m.tickAt(2000);
    EXPECT_EQ(m.clock.sleepInterval, 1000);
}

TEST(FrameClock, TimeNeverDecreasesAndCoarsensOnLongRuns) {
    ManualClock m;
    float last = 0.0f;
    const int64_t week = 7LL * 24 * 3600 * 1000;
    for (int64_t ms = week - 2000; ms < week; ms += 33) {
        m.tickAt(ms);
        EXPECT_GE(m.clock.currentTime, last);
        last = m.clock.currentTime;
    }
    // A sixteenth of a second is the resolution after a week.
    EXPECT_EQ(m.clock.currentTime * 16.0f, std::floor(m.clock.currentTime * 16.0f));
    EXPECT_GT(m.clock.currentTime, 604797.0f);
}

TEST(ElapsedMilliseconds, EqualsTheDirectProductWhereItFits) {
    const int64_t frequencies[] = {1, 3, 1000, 1193182, 3579545, 10000000, 1000000000, 2997000000LL};
    const int64_t ticks[] = {0, 1, 2, 999, 1000, 1001, 123456789, 987654321987LL, -1, -1001, -123456789};
    for (const int64_t f : frequencies) {
        for (const int64_t t : ticks)
            EXPECT_EQ(elapsedMilliseconds(t, f), t * 1000 / f) << t << " ticks at " << f;
    }
}

TEST(ElapsedMilliseconds, DoesNotOverflowAfterWeeksOfRunning) {
    // 40 days of a 3 GHz counter: the direct product would overflow.
    const int64_t frequency = 3000000000LL;
    const int64_t ticks = 40LL * 86400 * frequency + frequency / 2;
    EXPECT_EQ(elapsedMilliseconds(ticks, frequency), 40LL * 86400 * 1000 + 500);
    const int64_t most = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(elapsedMilliseconds(most, 1000000000), most / 1000000000 * 1000 + most % 1000000000 / 1000000);
}

TEST(ElapsedMilliseconds, NoCounterMeansTimeStandsStill) {
    EXPECT_EQ(elapsedMilliseconds(123456, 0), 0);
    EXPECT_EQ(elapsedMilliseconds(123456, -5), 0);
    SteppedCounter counter{0, 1, 0};
    FrameClock clock{};
    clock.counter = counter.counter();
    clock.startClock();
    counter.value = 5000;
    clock.tickClock();
    EXPECT_EQ(clock.currentTime, 0.0f);
    EXPECT_EQ(clock.frameCount, 1);
}

} // namespace
