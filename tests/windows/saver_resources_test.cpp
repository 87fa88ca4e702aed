// The resources of the built zellik.scr, read back through the Win32 resource
// functions as Windows itself reads them: the dialog template that the
// configuration dialog runs on, the description string of the display
// settings' list, the icon, the images the mask loader decodes, the manifest.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "tests/support/file_bytes.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

struct SaverResources : testing::Test {
    HMODULE module = nullptr;

    void SetUp() override {
        module = LoadLibraryExA(ZELLIK_SCR_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "cannot open " << ZELLIK_SCR_PATH;
    }
    void TearDown() override {
        if (module != nullptr)
            FreeLibrary(module);
    }

    // The bytes of one resource in language 1033, or empty.
    std::vector<unsigned char> bytes(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceExA(module, type, name, kEnglishUs);
        if (found == nullptr)
            return {};
        const DWORD size = SizeofResource(module, found);
        const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        if (data == nullptr)
            return {};
        return std::vector<unsigned char>(data, data + size);
    }
};

// Reads a dialog template field by field, in the order the template stores them.
struct TemplateReader {
    const std::vector<unsigned char>& data;
    size_t at = 0;

    uint16_t word() {
        uint16_t v = 0;
        if (at + 2 <= data.size())
            std::memcpy(&v, data.data() + at, 2);
        at += 2;
        return v;
    }
    uint32_t dword() {
        const uint32_t low = word();
        return low | (static_cast<uint32_t>(word()) << 16);
    }
    int16_t shortValue() { return static_cast<int16_t>(word()); }
    // A string or, after 0xFFFF, an ordinal written as "#n".
    std::string text() {
        uint16_t c = word();
        if (c == 0xFFFF)
            return "#" + std::to_string(word());
        std::string s;
        while (c != 0) {
            s += static_cast<char>(c);
            c = word();
        }
        return s;
    }
    void alignDword() { at = (at + 3) & ~static_cast<size_t>(3); }
};

struct ControlTemplate {
    uint32_t style;
    uint32_t extendedStyle;
    int16_t x, y, cx, cy;
    int16_t id;
    std::string className;
    std::string text;
};

TEST_F(SaverResources, ConfigDialogTemplateIsExactlyTheOneTheDialogCodeExpects) {
    const std::vector<unsigned char> data = bytes(RT_DIALOG, MAKEINTRESOURCEA(104));
    ASSERT_FALSE(data.empty());
    TemplateReader r{data};
    EXPECT_EQ(r.dword(), 0x80C800C0u); // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    EXPECT_EQ(r.dword(), 0u);
    const uint16_t count = r.word();
    ASSERT_EQ(count, 7);
    EXPECT_EQ(r.shortValue(), 0);
    EXPECT_EQ(r.shortValue(), 0);
    EXPECT_EQ(r.shortValue(), 228);
    EXPECT_EQ(r.shortValue(), 102);
    EXPECT_EQ(r.text(), ""); // no menu
    EXPECT_EQ(r.text(), ""); // the default dialog class
    EXPECT_EQ(r.text(), "Config dialog");
    EXPECT_EQ(r.word(), 8);
    EXPECT_EQ(r.text(), "MS Sans Serif");

    const ControlTemplate expected[] = {
        {0x50010001, 0, 172, 4, 50, 14, 1, "#128", "OK"},
        {0x50010000, 0, 172, 23, 50, 14, 2, "#128", "Cancel"},
        {0x50020000, 0, 7, 78, 100, 8, -1, "#130", ""},
        {0x50020000, 0, 7, 55, 53, 8, -1, "#130", ""},
        {0x50020000, 0, 7, 63, 49, 8, -1, "#130", ""},
        {0x50010003, 0, 9, 14, 52, 10, 1001, "#128", "Use Mirrors"},
        {0x50020000, 0, 7, 34, 36, 8, -1, "#130", "Version 1.0"},
    };
    for (const ControlTemplate& e : expected) {
        SCOPED_TRACE(e.id == -1 ? e.text : std::to_string(e.id));
        r.alignDword();
        ControlTemplate c{};
        c.style = r.dword();
        c.extendedStyle = r.dword();
        c.x = r.shortValue();
        c.y = r.shortValue();
        c.cx = r.shortValue();
        c.cy = r.shortValue();
        c.id = r.shortValue();
        c.className = r.text();
        c.text = r.text();
        const uint16_t extra = r.word();
        r.at += extra;
        EXPECT_EQ(c.style, e.style);
        EXPECT_EQ(c.extendedStyle, e.extendedStyle);
        EXPECT_EQ(c.x, e.x);
        EXPECT_EQ(c.y, e.y);
        EXPECT_EQ(c.cx, e.cx);
        EXPECT_EQ(c.cy, e.cy);
        EXPECT_EQ(c.id, e.id);
        EXPECT_EQ(c.className, e.className);
        // The three credit lines are our own wording: present, not pinned.
        if (e.text.empty())
            EXPECT_FALSE(c.text.empty());
        else
            EXPECT_EQ(c.text, e.text);
    }
}

TEST_F(SaverResources, DescriptionIsStringOneAndTheOnlyStringOfItsBlock) {
    char text[64] = {};
    EXPECT_EQ(LoadStringA(module, 1, text, sizeof text), 19);
    EXPECT_STREQ(text, "Zellik screen saver");
    for (UINT id = 0; id < 16; ++id) {
        if (id == 1)
            continue;
        EXPECT_EQ(LoadStringA(module, id, text, sizeof text), 0) << "string " << id;
    }
}

TEST_F(SaverResources, IconGroupOneHoldsTwoSixteenColourImagesWithMasks) {
    const std::vector<unsigned char> group = bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
    // Header of 6 bytes and two directory entries of 14.
    ASSERT_EQ(group.size(), 34u);
    EXPECT_EQ(group[2] | group[3] << 8, 1); // icons, not cursors
    ASSERT_EQ(group[4] | group[5] << 8, 2);
    struct Entry {
        int side;
        uint32_t size;
        int id;
    };
    const Entry entries[] = {{32, 744, 1}, {16, 296, 2}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(entries[i].side);
        const unsigned char* e = group.data() + 6 + 14 * i;
        EXPECT_EQ(e[0], entries[i].side);
        EXPECT_EQ(e[1], entries[i].side);
        EXPECT_EQ(e[2], 16);            // colours
        EXPECT_EQ(e[6] | e[7] << 8, 4); // bits per pixel
        uint32_t size = 0;
        std::memcpy(&size, e + 8, 4);
        EXPECT_EQ(size, entries[i].size);
        EXPECT_EQ(e[12] | e[13] << 8, entries[i].id);

        const std::vector<unsigned char> image = bytes(RT_ICON, MAKEINTRESOURCEA(entries[i].id));
        ASSERT_EQ(image.size(), entries[i].size);
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, entries[i].side);
        EXPECT_EQ(header.biHeight, 2 * entries[i].side); // colours and mask
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, 4);
    }
    // Windows builds an icon from the group: the 32 x 32 image at the system size.
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(1));
    EXPECT_NE(icon, nullptr);
}

TEST_F(SaverResources, ImagesAreTheJpegFilesByteForByte) {
    const struct {
        const char* name;
        const char* file;
    } images[] = {{"JPEG_ZELLIK_MASK", ZELLIK_RESOURCE_DIR "/atlas.jpg"},
                  {"LOGO_MASK", ZELLIK_RESOURCE_DIR "/logo.jpg"}};
    for (const auto& image : images) {
        SCOPED_TRACE(image.name);
        const std::vector<unsigned char> expected = readFileBytes(image.file);
        ASSERT_GT(expected.size(), 2u);
        EXPECT_EQ(bytes(RT_RCDATA, image.name), expected)
            << "the executable carries another version of " << image.file << " (stale build?)";
    }
}

TEST_F(SaverResources, VersionResourceNamesTheSaverAndTheProjectVersion) {
    ASSERT_FALSE(bytes(RT_VERSION, MAKEINTRESOURCEA(1)).empty());
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(ZELLIK_SCR_PATH, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(ZELLIK_SCR_PATH, 0, static_cast<DWORD>(info.size()), info.data()));
    const char* const strings[][2] = {{"FileDescription", "Zellik screen saver"},
                                      {"ProductName", "Zellik"},
                                      {"OriginalFilename", "zellik.scr"},
                                      {"FileVersion", ZELLIK_VERSION},
                                      {"ProductVersion", ZELLIK_VERSION}};
    for (const auto& entry : strings) {
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + entry[0];
        char* text = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            << path;
        EXPECT_STREQ(text, entry[1]) << path;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    char numbers[32] = {};
    std::snprintf(numbers, sizeof numbers, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(std::string(numbers), ZELLIK_VERSION ".0");
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
}

BOOL CALLBACK countName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(SaverResources, OneManifestDeclaresPerMonitorDpiAwareness) {
    int manifests = 0;
    EnumResourceNamesA(module, RT_MANIFEST, countName, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
    const std::vector<unsigned char> data = bytes(RT_MANIFEST, MAKEINTRESOURCEA(1));
    const std::string manifest(data.begin(), data.end());
    EXPECT_NE(
        manifest.find(
            "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
        std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
}

} // namespace
