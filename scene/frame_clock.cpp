#include "scene/frame_clock.h"

int64_t elapsedMilliseconds(int64_t ticks, int64_t frequency) {
    if (frequency <= 0)
        return 0;
    // Whole seconds and the remainder separately: equal to ticks * 1000 /
    // frequency wherever that product fits, and still right after the weeks
    // of running that would overflow it.
    const int64_t seconds = ticks / frequency;
    const int64_t remainder = ticks % frequency;
    return seconds * 1000 + remainder * 1000 / frequency;
}

void FrameClock::startClock() {
    if (clockStarted)
        return;
    clockStarted = true;
    counterFrequency = counter.readFrequency();
    startCount = counter.read();
    lastCount = startCount;
    frameCount = 0;
    framesPerSecond = 50.0f;
    currentTime = 0.0f;
    windowStart = 0.0f;
}

void FrameClock::tickClock() {
    const int64_t now = counter.read();
    lastCount = now;
    const int64_t ms = elapsedMilliseconds(now - startCount, counterFrequency);
    currentTime = static_cast<float>(static_cast<double>(ms) * static_cast<double>(0.001f));

    const float elapsed = currentTime - windowStart;
    if (elapsed < 1.0f) {
        ++frameCount;
        return;
    }

    // The window closes. The sleep is adjusted by the rate of the window
    // before this one, so the controller lags one window behind; its gain is
    // half the difference of the two frame periods in whole milliseconds.
    const int32_t previous = static_cast<int32_t>(framesPerSecond);
    framesPerSecond = static_cast<float>(frameCount) / elapsed;
    frameCount = 0;
    windowStart = currentTime;
    if (previous > 0)
        sleepInterval += (1000 / targetFrameRate - 1000 / previous) / 2;
    if (sleepInterval < 1)
        sleepInterval = 1;
    else if (sleepInterval > 1000)
        sleepInterval = 1000;
}

void FrameClock::holdClock() {
    if (!clockStarted)
        return;
    // Moving the reference by the gap keeps currentTime from decreasing: the
    // next tick reads at least the last tick's count of milliseconds.
    const int64_t now = counter.read();
    startCount += now - lastCount;
    lastCount = now;
}
