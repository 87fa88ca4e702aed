// The three registry operations on the settings record. Every failure is
// silent: a value that cannot be read keeps its default, a value that cannot
// be written is lost.
#pragma once
#include "host/common/saver_settings.h"

// The system-wide "Password Delay" and "Mouse Threshold"; also clears
// checkingPassword.
void readSystemSettings(SaverSettings& settings);
// The saver's own "UseMirrors".
void readSaverSettings(SaverSettings& settings);
// Stores useMirrors as a REG_DWORD, creating the saver's key if needed.
void writeSaverSettings(const SaverSettings& settings);

// The keys under HKEY_CURRENT_USER.
constexpr const char* kSystemSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
constexpr const char* kOwnSaverKey = "Software\\Quent\\Dunmere";
