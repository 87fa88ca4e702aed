// The settings file in the registry's place: $XDG_CONFIG_HOME/zellik/zellik.ini
// (~/.config/zellik/zellik.ini when that is not set).
#pragma once
#include "host/common/saver_settings.h"

#include <cstdint>
#include <string>

// The file's path from the environment; empty when neither XDG_CONFIG_HOME
// nor a home directory can be found.
std::string settingsFilePath();

// Reads the whole file into text. A missing file is not an error (text
// stays empty); any other failure is, with error set to one line.
bool readSettingsFile(const std::string& path, std::string* text, std::string* error);

// Replaces the file with text (the file a symbolic link names, keeping the
// link): a temporary file beside it, flushed to disk, then renamed over it,
// so that a reader or a crash sees either the old file or the new one, never
// a part. Creates the directory when missing. On
// failure the old file is untouched and error holds one line.
bool replaceSettingsFile(const std::string& path, const std::string& text, std::string* error);

// The store's three operations, named after their registry counterparts.
// The reads set their defaults first and print one warning per unreadable
// value to stderr; writeSaverSettings keeps every other line of the file.
void readSystemSettings(SaverSettings* settings);
void readSaverSettings(SaverSettings* settings);
bool writeSaverSettings(const SaverSettings& settings, std::string* error);

// How long the session must have been idle before the watcher (zellik --idle)
// starts the saver, in minutes; 0, the default, is off. Twelve hours is
// further than any desktop's own blanking reaches: a larger number is a typo.
constexpr uint32_t kMaxIdleMinutes = 720;

// The stored idle time: 0 when missing, unreadable or above kMaxIdleMinutes,
// with one line on stderr for the last two. writeIdleMinutes keeps every
// other line of the file and refuses a value above the maximum.
uint32_t readIdleMinutes();
bool writeIdleMinutes(uint32_t minutes, std::string* error);
