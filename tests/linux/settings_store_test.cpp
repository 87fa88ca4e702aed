// The settings store of the Linux saver: the text rules (values, sections,
// rewrites that keep everything else) and the file (path, atomic replace).
#include "host/linux/settings_file.h"
#include "host/linux/settings_text.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

namespace {

const std::string kSystem = "[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n";
const std::string kSaver = "[Software\\Quent\\Dunmere]\n";

SaverSettings applied(const std::string& text) {
    const SettingsText parsed = parseSettingsText(text);
    SaverSettings settings{};
    settings.checkingPassword = 1;
    applySystemSettings(parsed, &settings);
    applySaverSettings(parsed, &settings);
    return settings;
}

// A stored number is read as the registry holds a DWORD: decimal from
// INT32_MIN to UINT32_MAX, or 0x-hexadecimal, as its 32-bit pattern, with
// white space around it; anything else is unreadable (-1 here).
TEST(SettingsText, Numbers) {
    const std::pair<int64_t, std::vector<const char*>> cases[] = {
        {15, {"15", "0xF", "+15"}},
        {7, {" \t\r\n\f\v7 \t"}},
        {0xFFFFFFFF, {"-1", "4294967295", "0xFFFFFFFF"}},
        {0x80000000, {"-2147483648"}},
        {9, {"09"}},
        {0xABCD, {"0XaBcD"}},
        {-1,
         {"", "  ", "abc", "1.5", "12abc", "4294967296", "-2147483649", "0x", "-0x1", "0x100000000",
          "99999999999999999999", "- 1", "0xg", "+"}}};
    for (const auto& [value, texts] : cases) {
        for (const char* text : texts) {
            uint32_t read = 12345;
            const bool ok = parseInt32Value(text, &read);
            EXPECT_EQ(ok ? int64_t{read} : -1, value) << "[" << text << "]";
        }
    }
}

// What a run reads: each value as stored when it is a 32-bit integer in its
// own section (names whole, in any case, the last one counting, a header
// without its ']' ignored, a line of more than 190 characters skipped);
// otherwise its default, with a warning for each value there but unreadable.
TEST(SettingsText, ReadValuesOrDefaults) {
    // The text, then the delay, threshold and mirrors read, and the warnings.
    const std::tuple<std::string, uint32_t, int32_t, uint32_t, size_t> cases[] = {
        {"", 15, 50, 1, 0},
        {"UseMirrors=0\n" + kSaver + "[Other]\nUseMirrors=0\nMouse Threshold=3\n", 15, 50, 1, 0},
        {kSaver + "UseMirror=0\nUseMirrorsX=0\nVseMirrors=0\n[Xoftware\\Quent\\Dunmere]\nUseMirrors=0\n", 15,
         50, 1, 0},
        {"[Software\\Quent]\nUseMirrors=0\n[Software\\Quent\\Dunmerex]\nUseMirrors=0\n", 15, 50, 1, 0},
        {kSystem + "Password Delay=30\nMouse Threshold=7\n" + kSaver + "UseMirrors=0\n", 30, 7, 0, 0},
        {kSystem + "Mouse Threshold=-5\n", 15, -5, 1, 0},
        {kSaver + "[Other\nUseMirrors=0\n", 15, 50, 0, 0},
        {"[software\\QUENT\\dunmere]\nusemirrors = 0 ; inline comment\n", 15, 50, 0, 0},
        {"[SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SCREEN SAVERS]\nPASSWORD DELAY=9\n", 9, 50, 1, 0},
        {kSaver + "UseMirrors=0\nUseMirrors=3\n", 15, 50, 3, 0},
        {"\xEF\xBB\xBF[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n", 15, 50, 0, 0},
        {"[a]\n[b]\n[c]\n[d]\n[e]\n[f]\n[g]\n[h]\n[i]\n[j]\n" + kSaver + "UseMirrors=0\n", 15, 50, 0, 0},
        {kSaver + "UseMirrors=0 ;" + std::string(176, 'x') + "\r\n", 15, 50, 0, 0},
        {kSaver + "UseMirrors=0 ;" + std::string(177, 'x') + "\n", 15, 50, 1, 0},
        {kSystem + "Password Delay=ten\nMouse Threshold=8\n" + kSaver + "UseMirrors=0\n", 15, 8, 0, 1},
        {kSaver + "UseMirrors=3\nUseMirrors=4294967296\n", 15, 50, 1, 1},
        {kSystem + "Mouse Threshold=\nPassword Delay=-\n", 15, 50, 1, 2}};
    for (const auto& [text, delay, threshold, mirrors, warnings] : cases) {
        const SaverSettings s = applied(text);
        EXPECT_EQ(std::tie(s.passwordDelay, s.mouseThreshold, s.useMirrors, s.checkingPassword),
                  std::make_tuple(delay, threshold, mirrors, 0))
            << text;
        EXPECT_EQ(parseSettingsText(text).warnings.size(), warnings) << text;
    }
}

// A write sets the value in place, or at the end of its section, or in a new
// section at the end of the file; every other byte stays, and new lines end
// as the first line does.
TEST(SettingsText, WriteChangesOnlyTheValue) {
    const std::string mine =
        "# top\n" + kSaver + "; about mirrors\nUseMirrors = 1 ; mine\nOther=2\n\n" + kSystem;
    const std::pair<std::string, std::string> cases[] = {
        {"", kSaver + "UseMirrors=0\n"},
        {"; mine\n[Other]\nA=1", "; mine\n[Other]\nA=1\n\n" + kSaver + "UseMirrors=0\n"},
        {mine, "# top\n" + kSaver + "; about mirrors\nUseMirrors = 0 ; mine\nOther=2\n\n" + kSystem},
        {kSaver + "Other=2\n; next\n\n[Next]\nB=3\n",
         kSaver + "Other=2\nUseMirrors=0\n; next\n\n[Next]\nB=3\n"},
        {kSaver + " UseMirrors=1\n", kSaver + " UseMirrors=0\n"},
        {kSaver + "Other=2", kSaver + "Other=2\nUseMirrors=0\n"},
        {"\n", "\n\n" + kSaver + "UseMirrors=0\n"},
        {"\r\n\n", "\r\n\n\r\n[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n"},
        {"[A]\r\nB=1\r\n", "[A]\r\nB=1\r\n\r\n[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n"},
        {"[Software\\Quent\\Dunmere]\r\nUseMirrors=1\r\n", "[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n"}};
    for (const auto& [before, after] : cases)
        EXPECT_EQ(setSettingsValue(before, kSaverSection, kUseMirrorsName, "0"), after);
}

// Whatever the file held before, reading it back after a write gives the
// value written, and the other values as they were.
TEST(SettingsText, WhatIsWrittenIsWhatIsRead) {
    const char withNul[] = "[Other]\nA=1\n\0[Software\\Quent\\Dunmere]\nUseMirrors=6\n";
    const std::string texts[] = {
        "", kSystem + "Password Delay=30\nMouse Threshold=7\n" + kSaver + "UseMirrors=0\n",
        kSaver + "UseMirrors=7\n continued\n", kSaver + "UseMirrors=1\n[abc\n continued\n",
        kSaver + "[]\nUseMirrors=2\n", kSaver + "UseMirrors=1\n" + kSystem + "Mouse Threshold=3\n 4\n",
        kSaver + "UseMirrors=1\n" + kSaver + "UseMirrors=2\n", "[software\\quent\\dunmere]\nUSEMIRRORS: 4\n",
        kSaver + "UseMirrors=junk\n", kSaver + "UseMirrors= ;x\n", kSaver + "UseMirrors=\n",
        kSaver + "UseMirrors= 5", "no section at all\n=\n[\n", "[Software\\Quent\\Dunmere]",
        // An indented header after a section without values would continue a value added above it.
        kSaver + "\n " + kSystem,
        kSaver + "\n; note\n# note\n " + kSystem.substr(0, 57) + " ;" + std::string(129, 'x') + "\n",
        // Continuations survive blank, comment and broken lines; a byte-order
        // mark counts on the first line only; the reader stops at a NUL; a
        // line too long for the reader is skipped by both sides.
        kSaver + "  UseMirrors=3\nbroken\n\n; note\n  UseMirrors=3\n", kSaver + "\xEF\xBB\xBFUseMirrors=4\n",
        std::string(withNul, sizeof withNul - 1), kSaver + "UseMirrors=2 ;" + std::string(300, 'x') + "\n",
        // The longest line the reader takes, last and without a line end: the end written keeps it read.
        "[Software\\Quent\\Dunmere]" + std::string(166, 'x')};
    for (const std::string& text : texts) {
        for (const char* value : {"0", "1", "4294967295"}) {
            const std::string written = setSettingsValue(text, kSaverSection, kUseMirrorsName, value);
            const SaverSettings before = applied(text), after = applied(written);
            EXPECT_EQ(after.useMirrors, std::stoul(value)) << text << "\n---\n" << written;
            EXPECT_TRUE(after.passwordDelay == before.passwordDelay &&
                        after.mouseThreshold == before.mouseThreshold)
                << text;
        }
    }
}

// A private settings directory per test, removed afterwards.
struct SettingsFile : ::testing::Test {
    std::string directory = std::filesystem::temp_directory_path() / "zellik-settings-XXXXXX";

    void SetUp() override {
        ASSERT_NE(mkdtemp(&directory[0]), nullptr);
        setenv("XDG_CONFIG_HOME", directory.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(directory); }
    std::string path() const { return directory + "/zellik/zellik.ini"; }
    std::string contents() const { return fileText(path().c_str()); }
};

TEST_F(SettingsFile, PathFollowsXdgConfigHomeThenHome) {
    EXPECT_EQ(settingsFilePath(), path());
    const char* home = std::getenv("HOME");
    const std::string savedHome = home != nullptr ? home : "";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "relative/dir", 1); // not absolute: ignored
    EXPECT_EQ(settingsFilePath(), "/home/someone/.config/zellik/zellik.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePath(), "/home/someone/.config/zellik/zellik.ini");
    setenv("HOME", savedHome.c_str(), 1);
}

// A store swaps the whole file: a reader that opened the old file keeps
// reading all of it, the path shows the new one with the user's permissions,
// no temporary file is left, and what was stored is read back. A file kept
// as a link (by a dotfile manager) stays one, and the file it names changes.
TEST_F(SettingsFile, StoreReplacesTheFileWhole) {
    SaverSettings settings{};
    readSaverSettings(&settings);
    EXPECT_EQ(settings.useMirrors, 1u); // no file yet
    std::string error;
    ASSERT_TRUE(replaceSettingsFile(path(), "[A]\nold=1\n", &error)) << error;
    using std::filesystem::perms;
    const perms mode = perms::owner_read | perms::owner_write | perms::group_read;
    std::filesystem::permissions(path(), mode);
    for (uint32_t value : {0u, 1u}) {
        if (value == 1) {
            std::filesystem::create_directory(directory + "/dotfiles");
            std::filesystem::rename(path(), directory + "/dotfiles/zellik.ini");
            std::filesystem::create_symlink("../dotfiles/zellik.ini", path());
        }
        std::ifstream reader(path(), std::ios::binary);
        const std::string old = contents();
        settings.useMirrors = value;
        ASSERT_TRUE(writeSaverSettings(settings, &error)) << error;
        std::stringstream seen;
        seen << reader.rdbuf();
        EXPECT_EQ(seen.str(), old);
        EXPECT_EQ(contents(), "[A]\nold=1\n\n" + kSaver + "UseMirrors=" + std::to_string(value) + "\n");
        SaverSettings stored{};
        readSaverSettings(&stored);
        EXPECT_EQ(stored.useMirrors, value);
        EXPECT_EQ(std::filesystem::status(path()).permissions(), mode);
        EXPECT_EQ(std::filesystem::is_symlink(path()), value == 1);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory + "/zellik"), {}), 1);
    }
}

// Each unreadable value and each line too long to read is named once on
// stderr: a value by the read of its section, a line by the first read.
TEST_F(SettingsFile, ReadsNameEachProblemOnce) {
    const std::string tooLong = "UseMirrors=0 ;" + std::string(177, 'x');
    std::string error;
    ASSERT_TRUE(replaceSettingsFile(
        path(), kSystem + "Password Delay=ten\n" + kSaver + "UseMirrors=x\n" + tooLong + "\n", &error));
    SaverSettings settings{};
    ::testing::internal::CaptureStderr();
    readSystemSettings(&settings);
    readSaverSettings(&settings);
    const std::string start = "zellik: " + path() + ": ", notANumber = "\", not a 32-bit integer; using ";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              start + "a line longer than 190 characters is ignored: \"" + tooLong.substr(0, 40) + "...\"\n" +
                  start + "\"Password Delay\" in [" + kSystemSection + "] is \"ten" + notANumber + "15\n" +
                  start + "\"UseMirrors\" in [" + kSaverSection + "] is \"x" + notANumber + "1\n");
}

// A file where the settings directory should be, or a folder where the file
// should be: no store, an error that names it and its real cause.
TEST_F(SettingsFile, SomethingInTheWayIsAnError) {
    std::ofstream(directory + "/zellik") << "not a directory";
    std::string error;
    EXPECT_FALSE(writeSaverSettings(SaverSettings{}, &error));
    EXPECT_EQ(error, "cannot use settings directory " + directory + "/zellik: Not a directory");
    std::filesystem::remove(directory + "/zellik");
    std::filesystem::create_directories(path());
    EXPECT_FALSE(writeSaverSettings(SaverSettings{}, &error));
    EXPECT_EQ(error, "cannot read settings file " + path() + ": Is a directory");
}

// The idle time sits beside UseMirrors: a file without it (as 1.0 wrote)
// means off; a value that is unreadable or above the maximum means off with
// one line naming it, printed by the idle read and not by the saver's read.
// A write is read back; one above the maximum changes nothing. (A write in place
// beside UseMirrors is the x11 end-to-end settings case's.)
TEST_F(SettingsFile, IdleMinutesBesideMirrors) {
    const std::tuple<std::string, uint32_t, const char*> cases[] = {
        {"", 0, ""},
        {kSaver + "UseMirrors=0\nIdleMinutes=10\n", 10, ""},
        {"[software\\quent\\dunmere]\nidleminutes = 720 ; by hand\n", 720, ""},
        {kSaver + "IdleMinutes=721\n", 0, "is 721, more than 720 minutes; using 0 (off)"},
        {kSaver + "IdleMinutes=soon\n", 0, "is \"soon\", not a 32-bit integer; using 0"}};
    for (const auto& [text, minutes, warning] : cases) {
        std::string error;
        ASSERT_TRUE(replaceSettingsFile(path(), text, &error)) << error;
        SaverSettings settings{};
        ::testing::internal::CaptureStderr();
        readSaverSettings(&settings);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << text;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(readIdleMinutes(), minutes) << text;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(*warning == '\0' ? said.empty()
                                     : said.find(warning) != std::string::npos &&
                                           said.find("\"IdleMinutes\" in [") != std::string::npos &&
                                           std::count(said.begin(), said.end(), '\n') == 1)
            << text << said;
    }
    std::string error;
    ASSERT_TRUE(writeIdleMinutes(kMaxIdleMinutes, &error)) << error;
    EXPECT_EQ(readIdleMinutes(), kMaxIdleMinutes);
    const std::string off = contents();
    EXPECT_FALSE(writeIdleMinutes(kMaxIdleMinutes + 1, &error));
    EXPECT_EQ(error, "an idle time of 721 minutes is more than 720");
    EXPECT_EQ(contents(), off);
}

} // namespace
