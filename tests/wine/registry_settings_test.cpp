// The settings against the real registry of the Wine prefix. Each test
// starts with neither key present and writes the values it needs the way a
// user or the system would.
#include "host/win32/registry_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

void deleteKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
    RegDeleteTreeA(HKEY_CURRENT_USER, kSystemSaverKey);
}

void setValue(const char* keyName, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void setDword(const char* keyName, const char* name, DWORD value) {
    setValue(keyName, name, REG_DWORD, &value, sizeof value);
}

bool keyExists(const char* keyName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Settings full of values that no read produces, so that a field left alone
// shows.
SaverSettings scribbled() {
    SaverSettings s{};
    s.passwordDelay = 0xDEAD;
    s.mouseThreshold = -777;
    s.checkingPassword = 1;
    s.useMirrors = 0xBEEF;
    return s;
}

class RegistrySettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { deleteKeys(); }
    void TearDown() override { deleteKeys(); }
};

TEST_F(RegistrySettingsTest, DefaultsWithoutKeys) {
    SaverSettings s = scribbled();
    readSystemSettings(s);
    readSaverSettings(s);
    EXPECT_EQ(s.passwordDelay, 15u);
    EXPECT_EQ(s.mouseThreshold, 50);
    EXPECT_EQ(s.checkingPassword, 0);
    EXPECT_EQ(s.useMirrors, 1u);
    // Reading creates nothing.
    EXPECT_FALSE(keyExists(kOwnSaverKey));
    EXPECT_FALSE(keyExists(kSystemSaverKey));
}

TEST_F(RegistrySettingsTest, SystemValuesAsStored) {
    setDword(kSystemSaverKey, "Password Delay", 300);
    setDword(kSystemSaverKey, "Mouse Threshold", 7);
    SaverSettings s = scribbled();
    readSystemSettings(s);
    EXPECT_EQ(s.passwordDelay, 300u);
    EXPECT_EQ(s.mouseThreshold, 7);
    EXPECT_EQ(s.checkingPassword, 0);
    EXPECT_EQ(s.useMirrors, 0xBEEFu); // not this read's field
}

TEST_F(RegistrySettingsTest, OneSystemValueMissingKeepsItsDefault) {
    setDword(kSystemSaverKey, "Mouse Threshold", 12);
    SaverSettings s = scribbled();
    readSystemSettings(s);
    EXPECT_EQ(s.passwordDelay, 15u);
    EXPECT_EQ(s.mouseThreshold, 12);

    deleteKeys();
    setDword(kSystemSaverKey, "Password Delay", 0);
    s = scribbled();
    readSystemSettings(s);
    EXPECT_EQ(s.passwordDelay, 0u);
    EXPECT_EQ(s.mouseThreshold, 50);
}

TEST_F(RegistrySettingsTest, SystemValuesOfAnyTypeUpToFourBytes) {
    // The type is not looked at: four binary bytes are a little-endian integer,
    // and a negative threshold stays negative.
    const unsigned char delay[4] = {0x2C, 0x01, 0x00, 0x00};
    const unsigned char threshold[4] = {0xF6, 0xFF, 0xFF, 0xFF};
    setValue(kSystemSaverKey, "Password Delay", REG_BINARY, delay, 4);
    setValue(kSystemSaverKey, "Mouse Threshold", REG_BINARY, threshold, 4);
    SaverSettings s = scribbled();
    readSystemSettings(s);
    EXPECT_EQ(s.passwordDelay, 300u);
    EXPECT_EQ(s.mouseThreshold, -10);

    // Longer data is treated as missing.
    setValue(kSystemSaverKey, "Mouse Threshold", REG_SZ, "100", 4);
    setValue(kSystemSaverKey, "Password Delay", REG_SZ, "60000", 6);
    s = scribbled();
    readSystemSettings(s);
    EXPECT_EQ(s.passwordDelay, 15u);
    EXPECT_EQ(s.mouseThreshold, 0x00303031); // "100" and its terminator, four bytes
}

TEST_F(RegistrySettingsTest, UseMirrorsDwordAsStored) {
    setDword(kOwnSaverKey, "UseMirrors", 5);
    SaverSettings s = scribbled();
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 5u);
    EXPECT_EQ(s.passwordDelay, 0xDEADu); // not this read's field

    setDword(kOwnSaverKey, "UseMirrors", 0);
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 0u);
}

TEST_F(RegistrySettingsTest, UseMirrorsTooLongIsMissing) {
    setValue(kOwnSaverKey, "UseMirrors", REG_SZ, "mirrors off", 12);
    SaverSettings s = scribbled();
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 1u);

    const unsigned char eight[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    setValue(kOwnSaverKey, "UseMirrors", REG_BINARY, eight, 8);
    s = scribbled();
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 1u);

    // Four bytes of any type are read as they are.
    setValue(kOwnSaverKey, "UseMirrors", REG_BINARY, eight, 4);
    s = scribbled();
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 0u);
}

TEST_F(RegistrySettingsTest, ShortDataFillsTheLowBytes) {
    const unsigned char one[1] = {0x07};
    setValue(kOwnSaverKey, "UseMirrors", REG_BINARY, one, 1);
    SaverSettings s = scribbled();
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 7u);
}

TEST_F(RegistrySettingsTest, KeyWithoutValueKeepsDefault) {
    setDword(kOwnSaverKey, "SomethingElse", 0);
    SaverSettings s = scribbled();
    readSaverSettings(s);
    EXPECT_EQ(s.useMirrors, 1u);
}

TEST_F(RegistrySettingsTest, WriteCreatesTheKeyAndStoresADword) {
    ASSERT_FALSE(keyExists(kOwnSaverKey));
    SaverSettings s = scribbled();
    s.useMirrors = 0;
    writeSaverSettings(s);
    ASSERT_TRUE(keyExists(kOwnSaverKey));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnSaverKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key, "UseMirrors", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 0u);

    // What was written is what the next run reads; the system key is never
    // written.
    s.useMirrors = 1;
    writeSaverSettings(s);
    SaverSettings next = scribbled();
    readSaverSettings(next);
    EXPECT_EQ(next.useMirrors, 1u);
    EXPECT_FALSE(keyExists(kSystemSaverKey));
}

} // namespace
