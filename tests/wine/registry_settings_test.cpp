// The settings in the Wine prefix's real registry: read as a user or the system wrote them, and written by
// the configuration dialog, run from the saver's own template and driven from a timer inside its message
// loop.
#include "host/win32/config_dialog.h"
#include "host/win32/host_state.h"
#include "host/win32/registry_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

void deleteKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
    RegDeleteTreeA(HKEY_CURRENT_USER, kSystemSaverKey);
}

void setValue(const char* keyName, const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, keyName, &key), 0);
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

const std::string kDword5("\x05\0\0\0", 4), kMinus10("\xF6\xFF\xFF\xFF", 4);

// One stored value at a time, read by both reads over values no read produces: up to four bytes of any type
// are a little-endian integer (fewer fill the low ones); longer data, a missing value or key leave the
// default (15, 50, 1); the reads create no key. Each row: key, value (null: only the key), type, data, values
// read.
TEST_F(RegistrySettingsTest, ReadsWhatIsStoredOrTheDefault) {
    const std::tuple<const char*, const char*, DWORD, std::string, uint32_t, int32_t, uint32_t> rows[] = {
        {nullptr, nullptr, 0, "", 15, 50, 1},
        {kSystemSaverKey, "Password Delay", REG_DWORD, std::string("\x2C\x01\0\0", 4), 300, 50, 1},
        {kSystemSaverKey, "Password Delay", REG_SZ, "60000", 15, 50, 1},
        {kSystemSaverKey, "Mouse Threshold", REG_BINARY, kMinus10, 15, -10, 1},
        {kSystemSaverKey, "Mouse Threshold", REG_SZ, std::string("100", 4), 15, 0x00303031, 1},
        {kSystemSaverKey, nullptr, 0, "", 15, 50, 1},
        {kOwnSaverKey, "UseMirrors", REG_DWORD, kDword5, 15, 50, 5},
        {kOwnSaverKey, "UseMirrors", REG_BINARY, std::string(4, '\0'), 15, 50, 0},
        {kOwnSaverKey, "UseMirrors", REG_BINARY, std::string(5, '\0'), 15, 50, 1},
        {kOwnSaverKey, "UseMirrors", REG_BINARY, "\x07", 15, 50, 7},
        {kOwnSaverKey, "SomethingElse", REG_DWORD, kDword5, 15, 50, 1}};
    for (const auto& [keyName, name, type, data, delay, threshold, mirrors] : rows) {
        deleteKeys();
        if (keyName != nullptr)
            setValue(keyName, name, type, data);
        SaverSettings s{nullptr, 0xDEAD, -777, {0, 0}, 0, 1, 0, 0xBEEF};
        readSystemSettings(s);
        EXPECT_EQ(s.useMirrors, 0xBEEFu); // not this read's field
        readSaverSettings(s);
        EXPECT_EQ(std::tie(s.passwordDelay, s.mouseThreshold, s.useMirrors, s.checkingPassword),
                  std::make_tuple(delay, threshold, mirrors, 0))
            << (name != nullptr ? name : "no value");
        EXPECT_FALSE(keyName == nullptr && (keyExists(kOwnSaverKey) || keyExists(kSystemSaverKey)));
    }
}

// The way out of the dialog: a key goes to the box through the dialog manager; a command to the dialog.
UINT wayMessage;
WPARAM wayFirst;
bool clickFirst;
int initiallyChecked;

void CALLBACK act(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA(nullptr, "Config dialog");
    if (dialog == nullptr)
        return; // not up yet
    KillTimer(nullptr, timer);
    HWND box = GetDlgItem(dialog, kUseMirrorsCheckBox);
    initiallyChecked = int(IsDlgButtonChecked(dialog, kUseMirrorsCheckBox));
    if (clickFirst)
        SendMessageA(box, BM_CLICK, 0, 0);
    SetFocus(box);
    if (wayMessage == WM_KEYDOWN)
        PostMessageA(box, wayMessage, wayFirst, 0);
    else
        SendMessageA(dialog, wayMessage, wayFirst, 0);
}

// The stored UseMirrors when it is a REG_DWORD, else -1.
int stored() {
    DWORD type = 0, value = 0, size = sizeof value;
    const LSTATUS found =
        RegGetValueA(HKEY_CURRENT_USER, kOwnSaverKey, "UseMirrors", RRF_RT_ANY, &type, &value, &size);
    return found == ERROR_SUCCESS && type == REG_DWORD && size == 4 ? int(value) : -1;
}

// The box starts from the setting; OK (or Enter, the default button) stores the box as it stands, a REG_DWORD
// in the saver's key, never the system's; Cancel, Escape and the close box store nothing. Each row: setting,
// box clicked, the way out, the dialog's result, what is stored (-1: nothing).
using ConfigDialogTest = RegistrySettingsTest;

TEST_F(ConfigDialogTest, StoresOnlyOnOk) {
    const std::tuple<uint32_t, bool, UINT, WPARAM, INT_PTR, int> rows[] = {
        {1, true, WM_COMMAND, IDOK, IDOK, 0},
        {0, true, WM_COMMAND, IDOK, IDOK, 1},
        {1, false, WM_COMMAND, IDOK, IDOK, 1},
        {1, true, WM_COMMAND, IDCANCEL, IDCANCEL, -1},
        {1, true, WM_SYSCOMMAND, SC_CLOSE, IDCANCEL, -1},
        {1, true, WM_KEYDOWN, VK_ESCAPE, IDCANCEL, -1},
        {1, true, WM_KEYDOWN, VK_RETURN, IDOK, 0}};
    for (const auto& [mirrors, click, message, first, result, storedValue] : rows) {
        deleteKeys();
        SaverSettings settings{};
        settings.useMirrors = mirrors;
        saverSettings = &settings;
        saverMode = SaverMode::Configure;
        wayMessage = message;
        wayFirst = first;
        clickFirst = click;
        SCOPED_TRACE(::testing::Message() << message << " " << first);
        SetTimer(nullptr, 0, 20, act);
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kConfigDialogTemplate), nullptr,
                                  configDialogProc, 0),
                  result);
        EXPECT_EQ(initiallyChecked, int(mirrors));
        EXPECT_EQ(stored(), storedValue);
        EXPECT_EQ(settings.useMirrors, storedValue < 0 ? mirrors : uint32_t(storedValue));
        EXPECT_FALSE(keyExists(kSystemSaverKey));
    }
}

} // namespace
