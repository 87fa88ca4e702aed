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

    float framesPerSecond = 0.0f; // measured over the last completed window
    float currentTime = 0.0f;     // seconds since startClock
    float windowStart = 0.0f;     // currentTime at which the open window began
    int32_t frameCount = 0;       // frames counted in the open window
    int32_t targetFrameRate = 30;
    int32_t sleepInterval = 41; // milliseconds; within [1, 1000] once a window has closed

    void startClock();
    void tickClock();
};

// Whole milliseconds in `ticks` of a counter running at `frequency`, truncated
// toward zero: ticks * 1000 / frequency, computed so that it cannot overflow
// however long the saver runs. A frequency of 0 or less yields 0: without a
// counter the picture stands still instead of dividing by zero.
int64_t elapsedMilliseconds(int64_t ticks, int64_t frequency);
