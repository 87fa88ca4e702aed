// The resources of the built zellik.scr, read back through the Win32
// resource functions as Windows reads them: the dialog template, the
// description string of the display settings' list, the icon, the images the
// mask loader decodes, the manifest.
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

// A dialog template read field by field, in the order it stores them: words,
// double words, and strings that may be "#n" ordinals.
struct TemplateReader {
    const Bytes& data;
    size_t at = 0;
    uint32_t word() {
        uint16_t v = 0;
        if (at + 2 <= data.size())
            std::memcpy(&v, data.data() + at, 2);
        at += 2;
        return v;
    }
    uint32_t dword() {
        const uint32_t low = word();
        return low | word() << 16;
    }
    std::string text() {
        uint32_t c = word();
        if (c == 0xFFFF)
            return "#" + std::to_string(word());
        std::string s;
        for (; c != 0; c = word())
            s += char(c);
        return s;
    }
    std::string fields(int words) { // signed 16-bit values, separated by blanks
        std::string s;
        for (int i = 0; i < words; ++i)
            s += std::to_string(int16_t(word())) + (i + 1 < words ? " " : "");
        return s;
    }
};

TEST_F(SaverResources, ConfigDialogTemplate) {
    const Bytes data = bytes(RT_DIALOG, MAKEINTRESOURCEA(104));
    ASSERT_FALSE(data.empty());
    TemplateReader r{data};
    // WS_POPUP, WS_CAPTION, WS_SYSMENU, DS_MODALFRAME and DS_SETFONT; no
    // extended style; 7 controls at 0, 0, 228 by 102; no menu, the default
    // class, the caption, 8-point "MS Sans Serif".
    EXPECT_EQ(r.dword(), 0x80C800C0u);
    EXPECT_EQ(r.dword(), 0u);
    ASSERT_EQ(r.word(), 7u);
    EXPECT_EQ(r.fields(4), "0 0 228 102");
    for (const char* text : {"", "", "Config dialog"})
        EXPECT_EQ(r.text(), text);
    EXPECT_EQ(r.word(), 8u);
    EXPECT_EQ(r.text(), "MS Sans Serif");
    // Style, extended style, x y cx cy id, class (#128 button, #130 static),
    // text; the three credit lines are our own wording, present, not pinned.
    const struct {
        uint32_t style;
        const char* place;
        const char* className;
        const char* text;
    } controls[] = {{0x50010001, "172 4 50 14 1", "#128", "OK"},
                    {0x50010000, "172 23 50 14 2", "#128", "Cancel"},
                    {0x50020000, "7 78 100 8 -1", "#130", nullptr},
                    {0x50020000, "7 55 53 8 -1", "#130", nullptr},
                    {0x50020000, "7 63 49 8 -1", "#130", nullptr},
                    {0x50010003, "9 14 52 10 1001", "#128", "Use Mirrors"},
                    {0x50020000, "7 34 36 8 -1", "#130", "Version 1.0"}};
    for (const auto& c : controls) {
        r.at = (r.at + 3) & ~size_t(3);
        EXPECT_EQ(r.dword(), c.style) << c.place;
        EXPECT_EQ(r.dword(), 0u) << c.place;
        EXPECT_EQ(r.fields(5), c.place);
        EXPECT_EQ(r.text(), c.className) << c.place;
        const std::string text = r.text();
        EXPECT_TRUE(c.text == nullptr ? !text.empty() : text == c.text) << c.place << ": " << text;
        r.at += r.word(); // creation data
    }
}

TEST_F(SaverResources, StringIconImagesAndManifest) {
    // String 1 is the description, alone in its block.
    char text[64] = {};
    for (UINT id = 0; id < 16; ++id)
        EXPECT_EQ(LoadStringA(module, id, text, sizeof text), id == 1 ? 19 : 0) << id;
    LoadStringA(module, 1, text, sizeof text);
    EXPECT_STREQ(text, "Zellik screen saver");

    // Icon group 1: a 32 x 32 and a 16 x 16 image of 16 colours with masks.
    const Bytes group = bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
    ASSERT_EQ(group.size(), 34u); // a header of 6 bytes and two entries of 14
    EXPECT_EQ(group[2] | group[3] << 8, 1);
    EXPECT_EQ(group[4] | group[5] << 8, 2);
    const struct {
        int side;
        uint32_t size;
    } icons[] = {{32, 744}, {16, 296}};
    for (int i = 0; i < 2; ++i) {
        const unsigned char* e = group.data() + 6 + 14 * i;
        uint32_t size = 0;
        std::memcpy(&size, e + 8, 4);
        EXPECT_TRUE(e[0] == icons[i].side && e[1] == icons[i].side && e[2] == 16 && e[6] == 4 &&
                    size == icons[i].size && e[12] == i + 1);
        const Bytes image = bytes(RT_ICON, MAKEINTRESOURCEA(i + 1));
        ASSERT_EQ(image.size(), icons[i].size);
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_TRUE(header.biWidth == icons[i].side && header.biHeight == 2 * icons[i].side &&
                    header.biPlanes == 1 && header.biBitCount == 4);
    }
    EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(1)), nullptr);

    // The images are the committed files, byte for byte.
    EXPECT_EQ(bytes(RT_RCDATA, "JPEG_ZELLIK_MASK"), readFileBytes(ZELLIK_RESOURCE_DIR "/atlas.jpg"));
    EXPECT_EQ(bytes(RT_RCDATA, "LOGO_MASK"), readFileBytes(ZELLIK_RESOURCE_DIR "/logo.jpg"));

    // One manifest, per-monitor DPI aware.
    int manifests = 0;
    EnumResourceNamesA(
        module, RT_MANIFEST,
        [](HMODULE, LPCSTR, LPSTR, LONG_PTR n) -> BOOL { return ++*reinterpret_cast<int*>(n) > 0; },
        reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
    const Bytes data = bytes(RT_MANIFEST, MAKEINTRESOURCEA(1));
    const std::string manifest(data.begin(), data.end());
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
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
