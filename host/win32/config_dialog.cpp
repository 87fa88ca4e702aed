#include "host/win32/config_dialog.h"

#include "host/win32/host_state.h"
#include "host/win32/registry_settings.h"

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM firstParameter, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        // The stored value is the check state itself, as the dialog wrote it.
        CheckDlgButton(dialog, kUseMirrorsCheckBox, saverSettings->useMirrors);
        return TRUE; // let the dialog manager set the default focus
    case WM_COMMAND:
        // The dialog manager turns Enter into IDOK and Escape and the close
        // box into IDCANCEL, so these two ids are every way out.
        switch (LOWORD(firstParameter)) {
        case IDOK:
            saverSettings->useMirrors =
                IsDlgButtonChecked(dialog, kUseMirrorsCheckBox) == BST_CHECKED ? 1 : 0;
            writeSaverSettings(*saverSettings);
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        default:
            break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
