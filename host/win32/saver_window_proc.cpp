#include "host/win32/saver_window_proc.h"

#include "host/common/close_rules.h"
#include "host/win32/host_state.h"
#include "host/win32/password.h"

namespace {

HWND windowOf(const SaverSettings& settings) {
    return static_cast<HWND>(settings.window);
}

// A failed read leaves the point as it was, so a cursor that cannot be read
// neither moves the reference point nor counts as movement.
ScreenPoint cursorPosition(ScreenPoint fallback) {
    POINT position{fallback.x, fallback.y};
    GetCursorPos(&position);
    return ScreenPoint{position.x, position.y};
}

// Runs for WM_CLOSE in full-screen mode; the message never reaches the
// default handling, which would destroy the window unasked.
void applyCloseRule(HWND window, SaverSettings& settings) {
    switch (decideClose(settings, GetTickCount())) {
    case CloseAction::Ignore:
        return;
    case CloseAction::Destroy:
        DestroyWindow(window);
        return;
    case CloseAction::CheckPassword: {
        // The prompt runs its own modal loop on this thread; the flag keeps
        // the messages it dispatches to us from closing or re-entering here.
        beginPasswordCheck(settings);
        const BOOL accepted = verifyPassword(window);
        endPasswordCheck(settings);
        if (accepted)
            DestroyWindow(window);
        return;
    }
    }
}

} // namespace

const GUID& displayPowerSetting(DWORD majorVersion, DWORD minorVersion) {
    const bool windows8 = majorVersion > 6 || (majorVersion == 6 && minorVersion >= 2);
    return windows8 ? kSessionDisplayStatus : kConsoleDisplayState;
}

void requestClose(SaverSettings& settings) {
    settings.closeRequested = 1;
    PostMessageA(windowOf(settings), WM_CLOSE, 0, 0);
}

void beginPasswordCheck(SaverSettings& settings) {
    settings.checkingPassword = 1;
    SendMessageA(windowOf(settings), WM_SETCURSOR, 0, 0);
}

void endPasswordCheck(SaverSettings& settings) {
    settings.checkingPassword = 0;
    SendMessageA(windowOf(settings), WM_SETCURSOR, 0, 0);
    settings.startCursor = cursorPosition(settings.startCursor);
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM firstParameter, LPARAM secondParameter) {
    SaverSettings& settings = *saverSettings;
    const bool fullScreen = saverMode == SaverMode::FullScreen;
    const bool watchingInput = fullScreen && settings.checkingPassword == 0;

    switch (message) {
    case WM_CREATE:
        settings.window = window;
        settings.startCursor = cursorPosition(settings.startCursor);
        settings.startTick = GetTickCount();
        break;
    case WM_DESTROY:
        PostQuitMessage(0); // ends the frame loop
        break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        if (watchingInput && isDeactivation(firstParameter))
            requestClose(settings);
        break;
    case WM_CLOSE:
        if (fullScreen) {
            applyCloseRule(window, settings);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (watchingInput)
            SetCursor(nullptr);
        else
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (watchingInput)
            requestClose(settings);
        break;
    case WM_SYSCOMMAND:
        // Swallowing SC_SCREENSAVE keeps the system from starting a second
        // saver over this one.
        if (fullScreen && swallowsSysCommand(firstParameter))
            return 0;
        break;
    case WM_POWERBROADCAST: {
        // Whichever display setting was registered: 0 off, 1 on, 2 dimmed
        // (still seen). Input rules stay as they are: a key on a dark screen
        // still ends the saver.
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(secondParameter);
        if (fullScreen && firstParameter == PBT_POWERSETTINGCHANGE && setting != nullptr &&
            (IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) ||
             IsEqualGUID(setting->PowerSetting, kSessionDisplayStatus)) &&
            setting->DataLength >= sizeof(DWORD))
            displayOff = *reinterpret_cast<const DWORD*>(setting->Data) == 0;
        return TRUE;
    }
    case WM_DISPLAYCHANGE:
        // A monitor came or went. The system may have moved the cursor off
        // one that went, and moving the window over the new screen makes a
        // mouse move of its own: neither is the user's, so the threshold is
        // measured from where the cursor now is.
        if (fullScreen) {
            monitorsChanged = true;
            settings.startCursor = cursorPosition(settings.startCursor);
        }
        break;
    case WM_MOUSEMOVE:
        // The system also sends moves without movement (when the window is
        // shown, for instance), so the real cursor position decides, not the
        // message's coordinates.
        if (watchingInput && movedBeyondThreshold(settings, cursorPosition(settings.startCursor)))
            requestClose(settings);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, firstParameter, secondParameter);
}
