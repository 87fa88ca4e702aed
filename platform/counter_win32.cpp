#include "platform/counter.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// The rate is fixed at boot, so it is asked once. A system that reports no
// performance counter (a rate of 0) still has the tick count, in milliseconds.
int64_t performanceFrequency() {
    static const int64_t frequency = [] {
        LARGE_INTEGER value{};
        return QueryPerformanceFrequency(&value) ? static_cast<int64_t>(value.QuadPart) : int64_t{0};
    }();
    return frequency;
}

int64_t win32Frequency(void*) {
    const int64_t frequency = performanceFrequency();
    return frequency > 0 ? frequency : 1000;
}

int64_t win32Now(void*) {
    if (performanceFrequency() > 0) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    return static_cast<int64_t>(GetTickCount64());
}

} // namespace

Counter systemCounter() {
    return Counter{win32Frequency, win32Now, nullptr};
}
