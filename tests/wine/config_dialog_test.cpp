// The configuration dialog, run modally from the saver's own template and
// driven from a thread timer inside the dialog's message loop, as a user
// would: the check box is clicked, then OK, Cancel, Escape or the close box.
#include "host/win32/config_dialog.h"
#include "host/win32/host_state.h"
#include "host/win32/registry_settings.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::function<void(HWND)> userActions;
bool initiallyChecked = false;

void CALLBACK actOnDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    // The modal loop is running: the dialog is this thread's active window.
    HWND dialog = FindWindowA(nullptr, "Config dialog");
    if (dialog == nullptr)
        return;
    KillTimer(nullptr, timer);
    initiallyChecked = IsDlgButtonChecked(dialog, kUseMirrorsCheckBox) == BST_CHECKED;
    userActions(dialog);
}

INT_PTR runDialog(std::function<void(HWND)> actions) {
    userActions = std::move(actions);
    SetTimer(nullptr, 0, 20, actOnDialog);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kConfigDialogTemplate), nullptr,
                           configDialogProc, 0);
}

bool storedValue(DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOwnSaverKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *value;
    const bool found = RegQueryValueExA(key, "UseMirrors", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                        &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

void clickCheckBox(HWND dialog) {
    SendDlgItemMessageA(dialog, kUseMirrorsCheckBox, BM_CLICK, 0, 0);
}

class ConfigDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (FindResourceA(nullptr, MAKEINTRESOURCEA(kConfigDialogTemplate), MAKEINTRESOURCEA(5)) == nullptr)
            GTEST_SKIP() << "this test program carries no dialog template 104";
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
        settings = SaverSettings{};
        settings.useMirrors = 1;
        saverSettings = &settings;
        saverMode = SaverMode::Configure;
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
        saverSettings = nullptr;
    }
    SaverSettings settings{};
};

TEST_F(ConfigDialogTest, OkWithTheBoxClearedStoresZero) {
    const INT_PTR result = runDialog([](HWND dialog) {
        clickCheckBox(dialog);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(initiallyChecked);
    EXPECT_EQ(settings.useMirrors, 0u);
    DWORD value = 0xFFFF;
    ASSERT_TRUE(storedValue(&value));
    EXPECT_EQ(value, 0u);
}

TEST_F(ConfigDialogTest, OkWithTheBoxCheckedStoresOne) {
    settings.useMirrors = 0;
    runDialog([](HWND dialog) {
        clickCheckBox(dialog);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_FALSE(initiallyChecked);
    DWORD value = 0xFFFF;
    ASSERT_TRUE(storedValue(&value));
    EXPECT_EQ(value, 1u);
}

TEST_F(ConfigDialogTest, CancelStoresNothing) {
    const INT_PTR result = runDialog([](HWND dialog) {
        clickCheckBox(dialog);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(settings.useMirrors, 1u);
    DWORD value = 0;
    EXPECT_FALSE(storedValue(&value));
}

TEST_F(ConfigDialogTest, CloseBoxStoresNothing) {
    runDialog([](HWND dialog) {
        clickCheckBox(dialog);
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    DWORD value = 0;
    EXPECT_FALSE(storedValue(&value));
    EXPECT_EQ(settings.useMirrors, 1u);
}

TEST_F(ConfigDialogTest, EscapeStoresNothingAndEnterPressesOk) {
    runDialog([](HWND dialog) {
        clickCheckBox(dialog);
        // Through the dialog manager's own keyboard handling.
        PostMessageA(GetDlgItem(dialog, kUseMirrorsCheckBox), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    DWORD value = 0;
    EXPECT_FALSE(storedValue(&value));

    runDialog([](HWND dialog) {
        clickCheckBox(dialog);
        SetFocus(GetDlgItem(dialog, kUseMirrorsCheckBox));
        PostMessageA(GetDlgItem(dialog, kUseMirrorsCheckBox), WM_KEYDOWN, VK_RETURN, 0);
    });
    ASSERT_TRUE(storedValue(&value));
    EXPECT_EQ(value, 0u);
}

TEST_F(ConfigDialogTest, StoredNonZeroValueIsPassedAsCheckState) {
    settings.useMirrors = 1;
    runDialog([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); });
    EXPECT_TRUE(initiallyChecked);
    DWORD value = 0;
    ASSERT_TRUE(storedValue(&value));
    EXPECT_EQ(value, 1u);
}

} // namespace
