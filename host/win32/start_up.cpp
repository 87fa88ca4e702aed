// Zellik for Windows: the screen-saver entry point.
//
// What this host implements:
//  - switches /s (full screen), /p and /l <window> (preview), /c[:<window>]
//    (configure), /a <window> (change password), after '-' or '/' or bare,
//    either case; anything else shows nothing. Exit code 0 in every mode.
//  - settings: "Password Delay" and "Mouse Threshold" from the system's
//    screen-saver key, "UseMirrors" from Software\Quent\Dunmere (HKCU);
//    the configuration dialog (template 104) writes "UseMirrors" on OK.
//  - saver window "OpenGL"/"SaverWindow": full-screen popup or preview child,
//    double-buffered RGBA OpenGL, frame loop paced by the scene.
//  - full screen: one window over the virtual screen, a kaleidoscope per
//    monitor, following WM_DISPLAYCHANGE; closes on a key, a mouse button,
//    deactivation, or a cursor move beyond the threshold on either axis;
//    hides the cursor; swallows SC_SCREENSAVE and SC_CLOSE; ignores closes
//    that no input asked for.
//  - password: asked through PASSWORD.CPL after the password delay on the
//    95/98 family only; /a runs MPR.DLL's change dialog. Both are loaded at
//    run time and skipped where missing.
// Not implemented: any display of errors other than the three window set-up
// failures.
#include "host/common/command_line.h"
#include "host/win32/config_dialog.h"
#include "host/win32/host_state.h"
#include "host/win32/password.h"
#include "host/win32/registry_settings.h"
#include "host/win32/saver_window.h"

#include <new>

namespace {

// The show command the process was started with; the one passed to WinMain
// is not relied on.
int startUpShowCommand() {
    STARTUPINFOA startUp{};
    startUp.cb = sizeof startUp;
    GetStartupInfoA(&startUp);
    return (startUp.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startUp.wShowWindow : SW_SHOWDEFAULT;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    saverInstance = instance;
    const int showCommand = startUpShowCommand();

    // The whole line, program name included: the screen-saver machinery
    // quotes the name or not, and the switch rules depend on which.
    const CommandLine commandLine = parseCommandLine(GetCommandLineA());
    saverMode = commandLine.mode;
    const HWND parent = commandLine.ownerIsForeground ? GetForegroundWindow()
                                                      : reinterpret_cast<HWND>(commandLine.parentWindow);

    // Read in every mode, even when nothing will be shown.
    saverSettings = new (std::nothrow) SaverSettings{};
    if (saverSettings == nullptr)
        return 0;
    readSystemSettings(*saverSettings);
    readSaverSettings(*saverSettings);

    switch (saverMode) {
    case SaverMode::ChangePassword:
        changePassword(parent);
        break;
    case SaverMode::Configure:
        DialogBoxParamA(saverInstance, MAKEINTRESOURCEA(kConfigDialogTemplate), parent, configDialogProc, 0);
        break;
    case SaverMode::Preview:
        runSaverWindow(parent, showCommand);
        break;
    case SaverMode::FullScreen:
        runSaverWindow(nullptr, showCommand);
        break;
    case SaverMode::None:
        break;
    }

    delete saverSettings;
    saverSettings = nullptr;
    return 0;
}
