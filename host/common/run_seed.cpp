#include "host/common/run_seed.h"

uint32_t runSeed(const char* fixedSeed, uint32_t calendarSeed) {
    if (fixedSeed == nullptr || fixedSeed[0] == '\0')
        return calendarSeed;
    uint64_t value = 0;
    for (const char* c = fixedSeed; *c != '\0'; ++c) {
        // Anything but digits (a sign, spaces, hexadecimal) is not taken: a
        // mistyped value shows as the usual behaviour, not as some other seed.
        const unsigned digit = static_cast<unsigned char>(*c) - static_cast<unsigned>('0');
        if (digit > 9)
            return calendarSeed;
        value = value * 10 + digit;
        if (value > UINT32_MAX)
            return calendarSeed;
    }
    return static_cast<uint32_t>(value);
}
