// The scene's time base and frame pacing.
//
// currentTime is the whole number of milliseconds since startClock times
// 0.001; once a second the measured frame rate nudges sleepInterval, the
// pause the frame loop makes after each frame, towards 30 frames per second.
#pragma once
#include "platform/counter.h"

#include <cstdint>

struct FrameClock {
    // Reference reading, taken once by startClock.
    Counter counter;
    bool clockStarted = false;
    int64_t counterFrequency = 0;
    int64_t startCount = 0;
    int64_t lastCount = 0; // the reading of the last tick

    float framesPerSecond = 0.0f; // measured over the last completed window
    float currentTime = 0.0f;     // seconds since startClock
    float windowStart = 0.0f;     // currentTime at which the open window began
    int32_t frameCount = 0;       // frames counted in the open window
    int32_t targetFrameRate = 30;
    int32_t sleepInterval = 41; // milliseconds; within [1, 1000] once a window has closed

    void startClock();
    void tickClock();
    // The time since the last tick does not count: the next tick carries on
    // from the last one's currentTime, and the open measuring window closes
    // on the frames it really drew. A host calls it when its process was
    // stopped and continued (SIGSTOP, SIGCONT): otherwise the picture would
    // jump by the whole pause at once (every tile respawning, a running wedge
    // glide cut short) and the pacing, measuring a window with next to no
    // frames in it, would draw flat out for a second or two.
    void holdClock();
};

// Whole milliseconds in `ticks` of a counter running at `frequency`, truncated
// toward zero: ticks * 1000 / frequency, computed so that it cannot overflow
// however long the saver runs. A frequency of 0 or less yields 0: without a
// counter the picture stands still instead of dividing by zero.
int64_t elapsedMilliseconds(int64_t ticks, int64_t frequency);
