// The Windows side of the platform layer, on the real Win32 API under Wine:
// the counter the frame clock reads and the resource lookup the mask loader
// uses. It is also the first GoogleTest program of the Windows build to run
// through the emulator, so a failure here points at the test chain itself.
#include "platform/counter.h"
#include "platform/resource_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "tests/support/file_bytes.h"

namespace {

TEST(SystemCounter, RunsForwardAtItsStatedRate) {
    const Counter counter = systemCounter();
    const int64_t frequency = counter.readFrequency();
    ASSERT_GT(frequency, 0);
    const int64_t before = counter.read();
    Sleep(50);
    const int64_t after = counter.read();
    const double elapsedMs = static_cast<double>(after - before) * 1000.0 / static_cast<double>(frequency);
    // Sleep may overrun on a busy machine but never comes back early by more
    // than the timer's granularity.
    EXPECT_GE(elapsedMs, 30.0);
    EXPECT_LT(elapsedMs, 5000.0);
    EXPECT_GE(counter.read(), after);
}

TEST(LookupResource, FindsTheEmbeddedImagesByteForByte) {
    struct Case {
        const char* name;
        const char* file;
    };
    const Case cases[] = {{"JPEG_ZELLIK_MASK", ZELLIK_RESOURCE_DIR "/atlas.jpg"},
                          {"LOGO_MASK", ZELLIK_RESOURCE_DIR "/logo.jpg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<unsigned char> expected = readFileBytes(c.file);
        ASSERT_FALSE(expected.empty()) << "cannot read " << c.file;
        ResourceBytes bytes{nullptr, 0};
        ASSERT_TRUE(lookupResource(c.name, &bytes));
        ASSERT_EQ(bytes.size, expected.size());
        EXPECT_EQ(std::vector<unsigned char>(bytes.data, bytes.data + bytes.size), expected);
        // A second lookup gives the same mapping: the bytes live as long as the process.
        ResourceBytes again{nullptr, 0};
        ASSERT_TRUE(lookupResource(c.name, &again));
        EXPECT_EQ(again.data, bytes.data);
    }
}

TEST(LookupResource, RefusesMissingAndEmptyResourcesWithoutTouchingTheResult) {
    const unsigned char marker = 0;
    ResourceBytes bytes{&marker, 7};
    EXPECT_FALSE(lookupResource("NO_SUCH_MASK", &bytes));
    EXPECT_FALSE(lookupResource("EMPTY_MASK", &bytes));
    EXPECT_FALSE(lookupResource(nullptr, &bytes));
    EXPECT_EQ(bytes.data, &marker);
    EXPECT_EQ(bytes.size, 7u);
    // Names are looked up in RCDATA only: the same name as a string table
    // entry or another type is no image.
    EXPECT_FALSE(lookupResource("NOT_RCDATA", &bytes));
}

} // namespace
