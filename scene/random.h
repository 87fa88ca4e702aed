// The one random generator of the saver.
//
// It is the linear congruential generator of the Windows C runtime's
// srand/rand (outputs 0 to 32767), carried here so that every system draws the
// same numbers from the same seed: the picture is fixed by the number and order
// of draws, so draws whose values go unused are still made.
#pragma once
#include <cstdint>

// The single-precision constant nearest to 1/32767: 32767 times it stays just
// below 1, so a draw never reaches 1.
constexpr float kRandomScale = 0.000030518509f;

struct RandomGenerator {
    uint32_t state = 1;

    void seed(uint32_t value) { state = value; }

    // Next output, 0 to 32767.
    int32_t next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFFu);
    }

    // A draw r in [0, 1): the output times kRandomScale, kept in double
    // precision for the expression it is used in.
    double unit() { return next() * static_cast<double>(kRandomScale); }

    // A random integer in [0, n): n times a draw, truncated.
    int32_t below(int32_t n) { return static_cast<int32_t>(n * unit()); }
};
