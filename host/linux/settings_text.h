// The settings store of the Linux saver as text: an INI file that takes the
// registry's place, with the registry's key paths as section names and its
// value names as keys. Pure functions over strings, so that they can be fed
// any bytes (tests, fuzzers) without touching the file system.
#pragma once
#include "host/common/saver_settings.h"

#include <cstdint>
#include <string>
#include <vector>

// The registry keys the values live under on Windows, kept as section names
// so that one description of the store serves both systems.
extern const char kSystemSection[]; // "Software\Microsoft\Windows\CurrentVersion\Screen Savers"
extern const char kSaverSection[];  // "Software\Quent\Dunmere"
extern const char kPasswordDelayName[];
extern const char kMouseThresholdName[];
extern const char kUseMirrorsName[];
extern const char kIdleMinutesName[]; // "IdleMinutes", beside UseMirrors; Linux only

// Reads a 32-bit value as the registry would hold it: decimal with an optional
// sign, or 0x-hexadecimal, anywhere from INT32_MIN to UINT32_MAX, as its
// 32-bit pattern. False for anything else (empty, trailing text, too large).
bool parseInt32Value(const std::string& text, uint32_t* out);

// The values of the store. A `has...` flag is false when the section or value
// is missing or the value is not a 32-bit integer.
struct SettingsText {
    bool hasPasswordDelay = false;
    bool hasMouseThreshold = false;
    bool hasUseMirrors = false;
    bool hasIdleMinutes = false; // a file from before the idle watcher has none: off
    uint32_t passwordDelay = 0;
    uint32_t mouseThreshold = 0; // the 32-bit pattern; the record holds it signed
    uint32_t useMirrors = 0;
    uint32_t idleMinutes = 0;
    // One line per value that is present but unreadable, naming it.
    std::vector<std::string> warnings;
    // One line per line too long to read, which may have held any value.
    std::vector<std::string> skippedLines;
};

// Parses the whole file. Section and value names compare without regard to
// case, as registry names do; when a value appears more than once the last
// one counts.
SettingsText parseSettingsText(const std::string& text);

// The `readSystemSettings` and `readSaverSettings` steps over parsed text:
// defaults first, then each value that could be read.
void applySystemSettings(const SettingsText& parsed, SaverSettings* settings);
void applySaverSettings(const SettingsText& parsed, SaverSettings* settings);

// Returns text with `name` in `section` set to value. Every other line —
// other sections, other values, comments, blank lines, line endings — stays
// as it was; a missing section is appended at the end.
std::string setSettingsValue(const std::string& text, const std::string& section, const std::string& name,
                             const std::string& value);
