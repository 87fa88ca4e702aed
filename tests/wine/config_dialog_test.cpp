// The configuration dialog, run modally from the saver's own template and
// driven as a user would from a timer inside its message loop.
#include "host/win32/config_dialog.h"
#include "host/win32/host_state.h"
#include "host/win32/registry_settings.h"

#include <gtest/gtest.h>

namespace {

enum Way { Ok, Cancel, CloseBox, EscapeKey, EnterKey };
Way way;
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
    switch (way) {
    case Ok:
    case Cancel:
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(way == Ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
        break;
    case CloseBox:
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case EscapeKey:
    case EnterKey: // through the dialog manager's own keyboard handling
        PostMessageA(box, WM_KEYDOWN, way == EnterKey ? VK_RETURN : VK_ESCAPE, 0);
        break;
    }
}

bool stored(DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOwnSaverKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *value;
    const bool found =
        RegQueryValueExA(key, "UseMirrors", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == 0;
    RegCloseKey(key);
    return found;
}

// The box starts from the stored setting; OK (or Enter, the default button)
// stores the box as it stands; Cancel, Escape and the close box store nothing.
TEST(ConfigDialogTest, StoresOnlyOnOk) {
    const struct {
        uint32_t mirrors;
        bool click;
        Way way;
        INT_PTR result;
        int stored; // -1: nothing
    } rows[] = {{1, true, Ok, IDOK, 0},
                {0, true, Ok, IDOK, 1},
                {1, false, Ok, IDOK, 1},
                {1, true, Cancel, IDCANCEL, -1},
                {1, true, CloseBox, IDCANCEL, -1},
                {1, true, EscapeKey, IDCANCEL, -1},
                {1, true, EnterKey, IDOK, 0}};
    for (const auto& row : rows) {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
        SaverSettings settings{};
        settings.useMirrors = row.mirrors;
        saverSettings = &settings;
        saverMode = SaverMode::Configure;
        way = row.way;
        clickFirst = row.click;
        SetTimer(nullptr, 0, 20, act);
        const INT_PTR result = DialogBoxParamA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kConfigDialogTemplate), nullptr, configDialogProc, 0);
        EXPECT_EQ(result, row.result) << row.way;
        EXPECT_EQ(initiallyChecked, int(row.mirrors)) << row.way;
        DWORD value = 0xFFFF;
        EXPECT_EQ(stored(&value) ? int(value) : -1, row.stored) << row.way;
        EXPECT_EQ(settings.useMirrors, row.stored < 0 ? row.mirrors : uint32_t(row.stored));
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quent");
}

} // namespace
