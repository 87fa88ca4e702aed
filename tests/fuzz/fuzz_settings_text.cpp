// Fuzz target: any bytes as the Linux settings file; "UseMirrors" stored into
// it reads back as stored and the other values stay as they were.
#include "host/linux/settings_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 64 * 1024)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SettingsText before = parseSettingsText(text);

    const uint32_t stored = size % 2 == 0 ? 0u : 1u;
    const std::string rewritten =
        setSettingsValue(text, kSaverSection, kUseMirrorsName, std::to_string(stored));
    const SettingsText after = parseSettingsText(rewritten);
    if (!after.hasUseMirrors || after.useMirrors != stored)
        std::abort();
    if (after.hasPasswordDelay != before.hasPasswordDelay || after.passwordDelay != before.passwordDelay ||
        after.hasMouseThreshold != before.hasMouseThreshold || after.mouseThreshold != before.mouseThreshold)
        std::abort();
    return 0;
}
