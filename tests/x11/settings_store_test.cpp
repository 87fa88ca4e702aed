// The settings store of the Linux saver: the text rules (values, sections,
// rewrites that keep everything else) and the file (path, atomic replace).
#include "host/linux/settings_file.h"
#include "host/linux/settings_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <fcntl.h>

namespace {

SaverSettings applied(const std::string& text) {
    const SettingsText parsed = parseSettingsText(text);
    SaverSettings settings{};
    applySystemSettings(parsed, &settings);
    applySaverSettings(parsed, &settings);
    return settings;
}

const char kFull[] = "[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n"
                     "Password Delay=30\n"
                     "Mouse Threshold=7\n"
                     "[Software\\Quent\\Dunmere]\n"
                     "UseMirrors=0\n";

TEST(SettingsValue, ReadsThirtyTwoBitIntegersAsTheirBitPattern) {
    struct Case {
        const char* text;
        bool ok;
        uint32_t value;
    } cases[] = {
        {"15", true, 15},
        {" 7 ", true, 7},
        {"+5", true, 5},
        {"-1", true, 0xFFFFFFFFu},
        {"-2147483648", true, 0x80000000u},
        {"4294967295", true, 0xFFFFFFFFu},
        {"0x10", true, 16},
        {"0XfF", true, 255},
        {"0", true, 0},
        {"", false, 0},
        {"abc", false, 0},
        {"1.5", false, 0},
        {"12abc", false, 0},
        {"4294967296", false, 0},
        {"-2147483649", false, 0},
        {"0x", false, 0},
        {"-0x1", false, 0},
        {"0x100000000", false, 0},
        {"99999999999999999999", false, 0},
        {"- 1", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t value = 12345;
        EXPECT_EQ(parseInt32Value(c.text, &value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(SettingsRead, MissingFileSectionOrValueKeepsTheDefaults) {
    for (const char* text : {"", "; only a comment\n", "[Other]\nUseMirrors=0\nMouse Threshold=3\n",
                             "[Software\\Quent\\Dunmere]\n", "UseMirrors=0\n"}) {
        const SaverSettings s = applied(text);
        EXPECT_EQ(s.passwordDelay, 15u) << text;
        EXPECT_EQ(s.mouseThreshold, 50) << text;
        EXPECT_EQ(s.useMirrors, 1u) << text;
        EXPECT_EQ(s.checkingPassword, 0) << text;
        EXPECT_TRUE(parseSettingsText(text).warnings.empty()) << text;
    }
}

TEST(SettingsRead, StoredValuesReplaceTheDefaultsOneByOne) {
    SaverSettings s = applied(kFull);
    EXPECT_EQ(s.passwordDelay, 30u);
    EXPECT_EQ(s.mouseThreshold, 7);
    EXPECT_EQ(s.useMirrors, 0u);

    // Only the threshold stored: the delay keeps its default.
    s = applied("[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\nMouse Threshold=-5\n");
    EXPECT_EQ(s.passwordDelay, 15u);
    EXPECT_EQ(s.mouseThreshold, -5);

    // Any non-zero value is kept as it is: mirrors on.
    EXPECT_EQ(applied("[Software\\Quent\\Dunmere]\nUseMirrors=5\n").useMirrors, 5u);
}

TEST(SettingsRead, NamesIgnoreCaseAndTheLastValueCounts) {
    SaverSettings s = applied("[software\\QUENT\\dunmere]\nusemirrors = 0 ; inline comment\n");
    EXPECT_EQ(s.useMirrors, 0u);
    s = applied("[Software\\Quent\\Dunmere]\nUseMirrors=0\nUseMirrors=3\n");
    EXPECT_EQ(s.useMirrors, 3u);
    // CRLF line ends and a byte-order mark, as an editor on another system writes them.
    s = applied("\xEF\xBB\xBF[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n");
    EXPECT_EQ(s.useMirrors, 0u);
}

TEST(SettingsRead, AMalformedValueKeepsItsDefaultAndIsNamedOnce) {
    const std::string text = "[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n"
                             "Password Delay=ten\n"
                             "Mouse Threshold=8\n"
                             "[Software\\Quent\\Dunmere]\n"
                             "UseMirrors=0\n";
    const SettingsText parsed = parseSettingsText(text);
    ASSERT_EQ(parsed.warnings.size(), 1u);
    EXPECT_NE(parsed.warnings[0].find("\"Password Delay\""), std::string::npos) << parsed.warnings[0];
    EXPECT_NE(parsed.warnings[0].find("ten"), std::string::npos) << parsed.warnings[0];
    const SaverSettings s = applied(text);
    EXPECT_EQ(s.passwordDelay, 15u);
    EXPECT_EQ(s.mouseThreshold, 8);
    EXPECT_EQ(s.useMirrors, 0u);

    // Too wide for 32 bits is as unreadable as a word; so is an empty value.
    EXPECT_EQ(applied("[Software\\Quent\\Dunmere]\nUseMirrors=4294967296\n").useMirrors, 1u);
    EXPECT_EQ(applied("[Software\\Quent\\Dunmere]\nUseMirrors=\n").useMirrors, 1u);
    EXPECT_EQ(parseSettingsText("[Software\\Quent\\Dunmere]\nUseMirrors=\n").warnings.size(), 1u);
}

TEST(SettingsWrite, CreatesTheSectionInAnEmptyOrForeignFile) {
    EXPECT_EQ(setSettingsValue("", kSaverSection, kUseMirrorsName, "0"),
              "[Software\\Quent\\Dunmere]\nUseMirrors=0\n");
    EXPECT_EQ(setSettingsValue("; mine\n[Other]\nA=1", kSaverSection, kUseMirrorsName, "1"),
              "; mine\n[Other]\nA=1\n\n[Software\\Quent\\Dunmere]\nUseMirrors=1\n");
}

TEST(SettingsWrite, ReplacesTheValueInPlaceAndKeepsEverythingElse) {
    const std::string before = "# top\n"
                               "[Software\\Quent\\Dunmere]\n"
                               "; about mirrors\n"
                               "UseMirrors = 1 ; mine\n"
                               "Other=2\n"
                               "\n"
                               "[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n"
                               "Mouse Threshold=9\n";
    const std::string after = setSettingsValue(before, kSaverSection, kUseMirrorsName, "0");
    std::string expected = before;
    expected.replace(expected.find("UseMirrors = 1"), 14, "UseMirrors = 0");
    EXPECT_EQ(after, expected);
}

TEST(SettingsWrite, AddsAMissingValueAtTheEndOfItsSection) {
    const std::string before = "[Software\\Quent\\Dunmere]\nOther=2\n\n[Next]\nB=3\n";
    EXPECT_EQ(setSettingsValue(before, kSaverSection, kUseMirrorsName, "0"),
              "[Software\\Quent\\Dunmere]\nOther=2\nUseMirrors=0\n\n[Next]\nB=3\n");
}

TEST(SettingsWrite, KeepsWindowsLineEndings) {
    EXPECT_EQ(setSettingsValue("[A]\r\nB=1\r\n", kSaverSection, kUseMirrorsName, "0"),
              "[A]\r\nB=1\r\n\r\n[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n");
    EXPECT_EQ(setSettingsValue("[Software\\Quent\\Dunmere]\r\nUseMirrors=1\r\n", kSaverSection,
                               kUseMirrorsName, "0"),
              "[Software\\Quent\\Dunmere]\r\nUseMirrors=0\r\n");
}

// Whatever the file held before, reading it back after a write gives the
// value written, and the other values as they were.
TEST(SettingsWrite, WhatIsWrittenIsWhatIsRead) {
    const char* texts[] = {
        "",
        kFull,
        "[Software\\Quent\\Dunmere]\nUseMirrors=7\n  continued\n",
        "[Software\\Quent\\Dunmere]\nUseMirrors=1\n[Software\\Quent\\Dunmere]\nUseMirrors=2\n",
        "[software\\quent\\dunmere]\nUSEMIRRORS: 4\n",
        "[Software\\Quent\\Dunmere]\nUseMirrors=junk\n",
        "no section at all\n=\n[\n",
        "[Software\\Quent\\Dunmere]",
        // An indented header after a section without values: a value added
        // above it would make the reader take it as that value's continuation.
        "[Software\\Quent\\Dunmere]\n\n [Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n",
        // Continuations survive blank, comment and broken lines.
        "[Software\\Quent\\Dunmere]\n  UseMirrors=3\nbroken\n\n; note\n  UseMirrors=3\n",
        // A byte-order mark counts on the first line only.
        "[Software\\Quent\\Dunmere]\n\xEF\xBB\xBFUseMirrors=4\n",
        // The reader stops at a NUL; so must the writer's search.
        "[Other]\nA=1\n\0[Software\\Quent\\Dunmere]\nUseMirrors=6\n",
    };
    std::vector<std::string> all(std::begin(texts), std::end(texts));
    static const char withNul[] = "[Other]\nA=1\n\0[Software\\Quent\\Dunmere]\nUseMirrors=6\n";
    all.back() = std::string(withNul, sizeof withNul - 1);
    // A line too long for the reader's buffer is skipped by both sides.
    all.push_back("[Software\\Quent\\Dunmere]\nUseMirrors=2 ;" + std::string(300, 'x') + "\n");
    for (const std::string& text : all) {
        for (const char* value : {"0", "1", "4294967295"}) {
            const std::string written = setSettingsValue(text, kSaverSection, kUseMirrorsName, value);
            const SaverSettings before = applied(text);
            const SaverSettings after = applied(written);
            uint32_t expected = 0;
            ASSERT_TRUE(parseInt32Value(value, &expected));
            EXPECT_EQ(after.useMirrors, expected) << text << "\n---\n" << written;
            EXPECT_EQ(after.passwordDelay, before.passwordDelay) << text;
            EXPECT_EQ(after.mouseThreshold, before.mouseThreshold) << text;
        }
    }
}

// A private directory per test, removed afterwards.
struct SettingsFileTest : ::testing::Test {
    std::string directory;
    std::string oldConfig;
    bool hadConfig = false;

    void SetUp() override {
        char pattern[] = "/tmp/zellik-settings-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        const char* config = std::getenv("XDG_CONFIG_HOME");
        hadConfig = config != nullptr;
        oldConfig = hadConfig ? config : "";
        setenv("XDG_CONFIG_HOME", directory.c_str(), 1);
    }
    void TearDown() override {
        if (hadConfig)
            setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        const std::string command = "chmod -R u+rwx '" + directory + "' && rm -rf '" + directory + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string path() const { return directory + "/zellik/zellik.ini"; }
    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        DIR* dir = opendir((directory + "/zellik").c_str());
        if (dir == nullptr)
            return names;
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
        return names;
    }
};

TEST_F(SettingsFileTest, PathFollowsXdgConfigHomeThenHome) {
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

TEST_F(SettingsFileTest, RoundTripThroughTheFile) {
    SaverSettings settings{};
    readSaverSettings(&settings);
    EXPECT_EQ(settings.useMirrors, 1u); // no file yet
    for (uint32_t value : {0u, 1u, 0u}) {
        settings.useMirrors = value;
        std::string error;
        ASSERT_TRUE(writeSaverSettings(settings, &error)) << error;
        SaverSettings read{};
        readSaverSettings(&read);
        readSystemSettings(&read);
        EXPECT_EQ(read.useMirrors, value);
        EXPECT_EQ(read.passwordDelay, 15u);
        EXPECT_EQ(read.mouseThreshold, 50);
    }
    EXPECT_EQ(entries(), std::vector<std::string>{"zellik.ini"}); // no temporary left behind
}

TEST_F(SettingsFileTest, ReplaceIsAtomic) {
    std::string error;
    ASSERT_TRUE(replaceSettingsFile(path(), "[A]\nold=1\n", &error)) << error;
    chmod(path().c_str(), 0640);
    // A reader that opened the old file keeps reading the whole old file;
    // the path shows the whole new one: the file is swapped, not rewritten.
    const int reader = open(path().c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(replaceSettingsFile(path(), "[A]\nnew=2\n", &error)) << error;
    char buffer[64] = {};
    ASSERT_EQ(read(reader, buffer, sizeof buffer - 1), 10);
    close(reader);
    EXPECT_STREQ(buffer, "[A]\nold=1\n");
    EXPECT_EQ(contents(path()), "[A]\nnew=2\n");
    struct stat info;
    ASSERT_EQ(stat(path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // the user's permissions survive the swap
    EXPECT_EQ(entries(), std::vector<std::string>{"zellik.ini"});
}

TEST_F(SettingsFileTest, UnwritableDirectoryFailsAndKeepsTheOldFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root; errors.sh checks this as an ordinary account";
    std::string error;
    ASSERT_TRUE(replaceSettingsFile(path(), "[A]\nold=1\n", &error)) << error;
    chmod((directory + "/zellik").c_str(), 0555);
    SaverSettings settings{};
    settings.useMirrors = 0;
    EXPECT_FALSE(writeSaverSettings(settings, &error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    EXPECT_EQ(contents(path()), "[A]\nold=1\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"zellik.ini"});
}

TEST_F(SettingsFileTest, ADirectoryInTheWayIsAnError) {
    // A file where the settings directory should be: no store, a clear error.
    std::ofstream(directory + "/zellik") << "not a directory";
    SaverSettings settings{};
    std::string error;
    EXPECT_FALSE(writeSaverSettings(settings, &error));
    EXPECT_NE(error.find(directory + "/zellik"), std::string::npos) << error;
}

} // namespace
