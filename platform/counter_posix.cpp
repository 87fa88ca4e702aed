#include "platform/counter.h"

#include <ctime>

namespace {

int64_t monotonicFrequency(void*) {
    return 1000000000;
}

int64_t monotonicNow(void*) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

Counter systemCounter() {
    return Counter{monotonicFrequency, monotonicNow, nullptr};
}
