// The settings against the real registry of the Wine prefix, written the
// way a user or the system would.
#include "host/win32/registry_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

void deleteKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
    RegDeleteTreeA(HKEY_CURRENT_USER, kSystemSaverKey);
}

void setValue(const char* keyName, const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        0);
    if (name != nullptr)
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
    RegCloseKey(key);
}

bool keyExists(const char* keyName) {
    HKEY key = nullptr;
    const bool exists = RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

struct RegistrySettingsTest : ::testing::Test {
    void SetUp() override { deleteKeys(); }
    void TearDown() override { deleteKeys(); }
};

const std::string kDword5("\x05\0\0\0", 4), kDword300("\x2C\x01\0\0", 4), kMinus10("\xF6\xFF\xFF\xFF", 4);

// One stored value at a time, read by both reads from settings full of
// values no read produces: a value of at most four bytes of any type is a
// little-endian integer (fewer bytes fill the low ones); longer data, a
// missing value or a missing key leave that value's default (15, 50, 1)
// and nothing else; the reads create no key.
TEST_F(RegistrySettingsTest, ReadsWhatIsStoredOrTheDefault) {
    const struct {
        const char* key;
        const char* name; // null: only the key
        DWORD type;
        std::string data;
        uint32_t delay;
        int32_t threshold;
        uint32_t mirrors;
    } rows[] = {
        {nullptr, nullptr, 0, "", 15, 50, 1},
        {kSystemSaverKey, "Password Delay", REG_DWORD, kDword300, 300, 50, 1},
        {kSystemSaverKey, "Password Delay", REG_BINARY, std::string(4, '\0'), 0, 50, 1},
        {kSystemSaverKey, "Password Delay", REG_SZ, "60000", 15, 50, 1},
        {kSystemSaverKey, "Mouse Threshold", REG_BINARY, kMinus10, 15, -10, 1},
        {kSystemSaverKey, "Mouse Threshold", REG_SZ, std::string("100", 4), 15, 0x00303031, 1},
        {kSystemSaverKey, nullptr, 0, "", 15, 50, 1},
        {kOwnSaverKey, "UseMirrors", REG_DWORD, kDword5, 15, 50, 5},
        {kOwnSaverKey, "UseMirrors", REG_BINARY, std::string(4, '\0'), 15, 50, 0},
        {kOwnSaverKey, "UseMirrors", REG_BINARY, std::string(8, '\0'), 15, 50, 1},
        {kOwnSaverKey, "UseMirrors", REG_SZ, std::string("mirrors off", 12), 15, 50, 1},
        {kOwnSaverKey, "UseMirrors", REG_BINARY, "\x07", 15, 50, 7},
        {kOwnSaverKey, "SomethingElse", REG_DWORD, kDword5, 15, 50, 1},
    };
    for (const auto& row : rows) {
        deleteKeys();
        if (row.key != nullptr)
            setValue(row.key, row.name, row.type, row.data);
        SaverSettings s{nullptr, 0xDEAD, -777, {0, 0}, 0, 1, 0, 0xBEEF};
        readSystemSettings(s);
        EXPECT_EQ(s.useMirrors, 0xBEEFu); // not this read's field
        readSaverSettings(s);
        const std::string what = row.name != nullptr ? row.name : "no value";
        EXPECT_EQ(s.passwordDelay, row.delay) << what;
        EXPECT_EQ(s.mouseThreshold, row.threshold) << what;
        EXPECT_EQ(s.useMirrors, row.mirrors) << what;
        EXPECT_EQ(s.checkingPassword, 0);
        if (row.key == nullptr) {
            EXPECT_FALSE(keyExists(kOwnSaverKey) || keyExists(kSystemSaverKey));
        }
    }
}

// The write creates the saver's key and stores a REG_DWORD that the next run
// reads; the system key is never written.
TEST_F(RegistrySettingsTest, WriteStoresADwordTheNextRunReads) {
    for (const uint32_t value : {0u, 1u}) {
        SaverSettings s{};
        s.useMirrors = value;
        writeSaverSettings(s);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnSaverKey, 0, KEY_READ, &key), ERROR_SUCCESS);
        DWORD type = 0, stored = 0xFFFF, size = 8;
        ASSERT_EQ(
            RegQueryValueExA(key, "UseMirrors", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size), 0);
        RegCloseKey(key);
        EXPECT_EQ(type, DWORD(REG_DWORD));
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(stored, value);
        SaverSettings next{};
        readSaverSettings(next);
        EXPECT_EQ(next.useMirrors, value);
    }
    EXPECT_FALSE(keyExists(kSystemSaverKey));
}

} // namespace
