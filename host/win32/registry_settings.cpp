#include "host/win32/registry_settings.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

// Reads at most four bytes of any type. Data longer than that fails the
// read, so a string or a long binary value counts as missing; shorter data
// leaves the remaining bytes zero.
bool readFourBytes(HKEY key, const char* name, uint32_t* out) {
    BYTE buffer[4] = {0, 0, 0, 0};
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size) != ERROR_SUCCESS)
        return false;
    *out = uint32_t{buffer[0]} | uint32_t{buffer[1]} << 8 | uint32_t{buffer[2]} << 16 |
           uint32_t{buffer[3]} << 24;
    return true;
}

} // namespace

void readSystemSettings(SaverSettings& settings) {
    settings.passwordDelay = kDefaultPasswordDelay;
    settings.mouseThreshold = kDefaultMouseThreshold;
    settings.checkingPassword = 0;
    // Full access is asked for, as the system's own savers do; a user who
    // may not have it gets the defaults.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSystemSaverKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    uint32_t value = 0;
    if (readFourBytes(key, "Password Delay", &value))
        settings.passwordDelay = value;
    if (readFourBytes(key, "Mouse Threshold", &value))
        std::memcpy(&settings.mouseThreshold, &value, sizeof value);
    RegCloseKey(key);
}

void readSaverSettings(SaverSettings& settings) {
    settings.useMirrors = kDefaultUseMirrors;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOwnSaverKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    uint32_t value = 0;
    if (readFourBytes(key, "UseMirrors", &value))
        settings.useMirrors = value;
    RegCloseKey(key);
}

void writeSaverSettings(const SaverSettings& settings) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOwnSaverKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    const DWORD value = settings.useMirrors;
    RegSetValueExA(key, "UseMirrors", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}
