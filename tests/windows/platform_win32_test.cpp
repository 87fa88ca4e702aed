// The real Win32 API under Wine: the frame clock's counter, the mask loader's resource lookup, and the
// resources of the built zellik.scr; the first GoogleTest program to run, so its failure points at the chain.
#include "platform/counter.h"
#include "platform/resource_bytes.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

// Sleep may overrun on a busy machine, but never comes back early by more than the timer's granularity.
TEST(SystemCounter, RunsForwardAtItsStatedRate) {
    const Counter counter = systemCounter();
    ASSERT_GT(counter.readFrequency(), 0);
    const int64_t before = counter.read();
    Sleep(50);
    const double ms = double(counter.read() - before) * 1000.0 / double(counter.readFrequency());
    EXPECT_TRUE(ms >= 30.0 && ms < 5000.0) << ms;
}

// The images by name, byte for byte, mapped for the life of the process; a missing or empty resource, or
// one of another type, is no image and leaves the result as it was.
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

using Bytes = std::vector<unsigned char>;

struct SaverResources : testing::Test {
    HMODULE module = nullptr;
    void SetUp() override {
        module = LoadLibraryExA(ZELLIK_SCR_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "cannot open " << ZELLIK_SCR_PATH;
    }
    void TearDown() override { FreeLibrary(module); }
    // One resource in language 1033 (English, United States), or nothing.
    Bytes bytes(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceExA(module, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        const auto* data =
            found ? static_cast<const unsigned char*>(LockResource(LoadResource(module, found))) : nullptr;
        return data ? Bytes(data, data + SizeofResource(module, found)) : Bytes{};
    }
};

// FNV-1a, 64 bits.
uint64_t digest(const Bytes& bytes) {
    uint64_t d = 1469598103934665603ull;
    for (const unsigned char b : bytes)
        d = (d ^ b) * 1099511628211ull;
    return d;
}

// The resources Windows reads from the saver, each pinned by its digest so that a change is deliberate: the
// dialog, the description (string 1, alone in its block), group 1's two 16-colour icons, the DPI-aware
// manifest; the images are the committed files, byte for byte.
TEST_F(SaverResources, AsShipped) {
    const struct {
        LPCSTR type;
        int id;
        uint64_t digest;
    } pinned[] = {{RT_DIALOG, 104, 0x79c2840fb90e3e78},   {RT_STRING, 1, 0x8b605913f1d734ba},
                  {RT_GROUP_ICON, 1, 0xaded951265a6797a}, {RT_ICON, 1, 0x536f0375926430c5},
                  {RT_ICON, 2, 0x67795388f8c6b1b9},       {RT_MANIFEST, 1, 0x09598a8b459ce651}};
    for (const auto& p : pinned)
        EXPECT_EQ(digest(bytes(p.type, MAKEINTRESOURCEA(p.id))), p.digest)
            << "type " << reinterpret_cast<uintptr_t>(p.type) << " id " << p.id;
    EXPECT_EQ(bytes(RT_RCDATA, "JPEG_ZELLIK_MASK"), readFileBytes(ZELLIK_RESOURCE_DIR "/atlas.jpg"));
    EXPECT_EQ(bytes(RT_RCDATA, "LOGO_MASK"), readFileBytes(ZELLIK_RESOURCE_DIR "/logo.jpg"));
}

// The version resource: the project's version and the saver's names.
TEST_F(SaverResources, VersionResource) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(ZELLIK_SCR_PATH, &ignored));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(ZELLIK_SCR_PATH, 0, DWORD(info.size()), info.data()));
    const auto query = [&info](const std::string& path) {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueA(info.data(), path.c_str(), &value, &length) ? value : nullptr;
    };
    const char* const strings[][2] = {{"FileDescription", "Zellik screen saver"},
                                      {"ProductName", "Zellik"},
                                      {"OriginalFilename", "zellik.scr"},
                                      {"FileVersion", ZELLIK_VERSION},
                                      {"ProductVersion", ZELLIK_VERSION}};
    for (const auto& entry : strings)
        EXPECT_STREQ(static_cast<const char*>(query(std::string("\\StringFileInfo\\040904B0\\") + entry[0])),
                     entry[1]);
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\"));
    ASSERT_NE(fixed, nullptr);
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    EXPECT_STREQ(numbers, ZELLIK_VERSION ".0");
    EXPECT_TRUE(fixed->dwProductVersionMS == fixed->dwFileVersionMS &&
                fixed->dwProductVersionLS == fixed->dwFileVersionLS);
}

} // namespace
