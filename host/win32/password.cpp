#include "host/win32/password.h"

namespace {

using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND owner);
using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR provider, HWND parent, DWORD reserved1, LPVOID reserved2);

// GetProcAddress hands out one generic pointer type; the detour through a
// parameterless function type is the conversion the compiler accepts as
// deliberate.
template <typename Proc> Proc exportAs(HMODULE library, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

} // namespace

BOOL verifyPassword(HWND saverWindow) {
    // On the NT family the system locks the desktop itself when the saver
    // ends; asking here would ask twice.
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record the system expects");
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return TRUE;

    HMODULE library = LoadLibraryA("PASSWORD.CPL");
    if (library == nullptr)
        return TRUE;
    const auto verify = exportAs<VerifyScreenSavePwdProc>(library, "VerifyScreenSavePwd");
    if (verify == nullptr) {
        FreeLibrary(library);
        return TRUE;
    }
    const BOOL accepted = verify(saverWindow);
    FreeLibrary(library);
    return accepted;
}

void changePassword(HWND parent) {
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (library == nullptr)
        return;
    const auto change = exportAs<PwdChangePasswordProc>(library, "PwdChangePasswordA");
    if (change != nullptr)
        change("SCRSAVE", parent, 0, nullptr);
    FreeLibrary(library);
}
