// The saver's random generator: the same numbers as the Windows C runtime.
#include "scene/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

TEST(RandomGenerator, MatchesTheWindowsRuntimeSequence) {
    RandomGenerator generator{};
    generator.seed(1);
    const std::array<int32_t, 10> expected{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (const int32_t value : expected)
        EXPECT_EQ(generator.next(), value);
}

TEST(RandomGenerator, DrawsStayBelowOne) {
    EXPECT_LT(32767 * static_cast<double>(kRandomScale), 1.0);
    EXPECT_EQ(static_cast<int32_t>(32767 * static_cast<double>(kRandomScale) * 8.0), 7);
}

TEST(RandomGenerator, IntegersSplitTheOutputsEvenly) {
    // Every output once: each of 8 values for exactly an eighth, each of 2
    // for exactly a half, each of 4 for exactly a quarter.
    std::array<int, 8> eighths{};
    std::array<int, 4> quarters{};
    std::array<int, 2> halves{};
    for (int32_t output = 0; output <= 32767; ++output) {
        const double r = output * static_cast<double>(kRandomScale);
        ++eighths[static_cast<size_t>(r * 8.0)];
        ++quarters[static_cast<size_t>(r * 4.0)];
        ++halves[static_cast<size_t>(r * 2.0)];
    }
    for (const int count : eighths)
        EXPECT_EQ(count, 4096);
    for (const int count : quarters)
        EXPECT_EQ(count, 8192);
    for (const int count : halves)
        EXPECT_EQ(count, 16384);
}

TEST(RandomGenerator, AllSeedsModulo256GiveDistinctStarts) {
    std::array<int32_t, 256> firsts{};
    for (uint32_t seed = 0; seed < 256; ++seed) {
        RandomGenerator generator{};
        generator.seed(seed);
        generator.next();
        firsts[seed] = generator.next() * 65536 + generator.next();
    }
    std::sort(firsts.begin(), firsts.end());
    EXPECT_EQ(std::adjacent_find(firsts.begin(), firsts.end()), firsts.end());
}

} // namespace
