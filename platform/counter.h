// The monotonic high-resolution counter that the frame clock reads.
//
// A port supplies systemCounter(): a tick rate and a reading function. The
// clock only ever divides whole ticks into whole milliseconds, so any
// monotonic counter with a known rate serves.
#pragma once
#include <cstdint>

struct Counter {
    // Ticks per second; 0 or less means the system has no usable counter.
    int64_t (*frequency)(void* context);
    // The current reading, in ticks.
    int64_t (*now)(void* context);
    void* context;

    int64_t readFrequency() const { return frequency(context); }
    int64_t read() const { return now(context); }
};

// The system's own counter: QueryPerformanceCounter on Windows,
// CLOCK_MONOTONIC in nanoseconds elsewhere.
Counter systemCounter();

// A counter that advances by a fixed step every time step() is called and
// never by itself: the clock of headless renders, traces and soak runs.
struct SteppedCounter {
    int64_t ticksPerSecond;
    int64_t ticksPerStep;
    int64_t value;

    void step() { value += ticksPerStep; }
    Counter counter();
};
