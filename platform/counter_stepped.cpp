#include "platform/counter.h"

namespace {

int64_t steppedFrequency(void* context) {
    return static_cast<SteppedCounter*>(context)->ticksPerSecond;
}
int64_t steppedNow(void* context) {
    return static_cast<SteppedCounter*>(context)->value;
}

} // namespace

Counter SteppedCounter::counter() {
    return Counter{steppedFrequency, steppedNow, this};
}
