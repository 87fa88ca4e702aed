// The resources of the built zellik.scr, read back through the Win32
// resource functions as Windows reads them.
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

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

// The resources Windows reads from the saver, as shipped: the configuration
// dialog, the description (string 1, alone in its block), the two 16-colour
// icons of group 1, the DPI-aware manifest; each pinned by its digest, so a
// change to any of them is deliberate and shows here. The images are the
// committed files, byte for byte.
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
    char text[64] = {};
    EXPECT_EQ(LoadStringA(module, 1, text, sizeof text), 19);
    EXPECT_STREQ(text, "Zellik screen saver");
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(bytes(RT_RCDATA, "JPEG_ZELLIK_MASK"), readFileBytes(ZELLIK_RESOURCE_DIR "/atlas.jpg"));
    EXPECT_EQ(bytes(RT_RCDATA, "LOGO_MASK"), readFileBytes(ZELLIK_RESOURCE_DIR "/logo.jpg"));
}

// The version resource: the project's version and the saver's names.
TEST_F(SaverResources, VersionResource) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(ZELLIK_SCR_PATH, &ignored));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(ZELLIK_SCR_PATH, 0, DWORD(info.size()), info.data()));
    const char* const strings[][2] = {{"FileDescription", "Zellik screen saver"},
                                      {"ProductName", "Zellik"},
                                      {"OriginalFilename", "zellik.scr"},
                                      {"FileVersion", ZELLIK_VERSION},
                                      {"ProductVersion", ZELLIK_VERSION}};
    for (const auto& entry : strings) {
        char* text = nullptr;
        UINT length = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + entry[0];
        ASSERT_TRUE(VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            << path;
        EXPECT_STREQ(text, entry[1]) << path;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                                std::to_string(LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, ZELLIK_VERSION ".0");
    EXPECT_TRUE(fixed->dwProductVersionMS == fixed->dwFileVersionMS &&
                fixed->dwProductVersionLS == fixed->dwFileVersionLS);
}

} // namespace
