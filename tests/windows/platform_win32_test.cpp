// The Windows side of the platform layer on the real Win32 API under Wine:
// the counter the frame clock reads and the resource lookup the mask loader
// uses. The first GoogleTest program of the Windows build to run, so a
// failure here points at the test chain itself.
#include "platform/counter.h"
#include "platform/resource_bytes.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// Sleep may overrun on a busy machine, but never comes back early by more
// than the timer's granularity.
TEST(SystemCounter, RunsForwardAtItsStatedRate) {
    const Counter counter = systemCounter();
    ASSERT_GT(counter.readFrequency(), 0);
    const int64_t before = counter.read();
    Sleep(50);
    const double ms = double(counter.read() - before) * 1000.0 / double(counter.readFrequency());
    EXPECT_TRUE(ms >= 30.0 && ms < 5000.0) << ms;
}

// The images by name, byte for byte, mapped for the life of the process; a
// missing or empty resource, or one of another type, is no image and leaves
// the result as it was.
TEST(LookupResource, FindsTheImagesAndNothingElse) {
    const char* images[2][2] = {{"JPEG_ZELLIK_MASK", ZELLIK_RESOURCE_DIR "/atlas.jpg"},
                                {"LOGO_MASK", ZELLIK_RESOURCE_DIR "/logo.jpg"}};
    for (const auto& image : images) {
        ResourceBytes bytes{nullptr, 0}, again{nullptr, 0};
        ASSERT_TRUE(lookupResource(image[0], &bytes) && lookupResource(image[0], &again));
        EXPECT_EQ(std::vector<unsigned char>(bytes.data, bytes.data + bytes.size), readFileBytes(image[1]));
        EXPECT_EQ(again.data, bytes.data);
    }
    const unsigned char marker = 0;
    ResourceBytes bytes{&marker, 7};
    for (const char* name : {"NO_SUCH_MASK", "EMPTY_MASK", static_cast<const char*>(nullptr), "NOT_RCDATA"})
        EXPECT_FALSE(lookupResource(name, &bytes)) << (name ? name : "null");
    EXPECT_TRUE(bytes.data == &marker && bytes.size == 7);
}

} // namespace
