#include "host/common/close_rules.h"

#include <algorithm>

namespace {

constexpr uintptr_t kScScreenSave = 0xF140;
constexpr uintptr_t kScClose = 0xF060;
constexpr uint32_t kMirrorsBit = 0x10000;

// The difference of two 32-bit coordinates needs 33 bits; 64 keeps the
// comparison exact for positions at the ends of the range.
int64_t distance(int32_t a, int32_t b) {
    const int64_t d = int64_t{a} - int64_t{b};
    return d < 0 ? -d : d;
}

} // namespace

bool movedBeyondThreshold(const SaverSettings& settings, ScreenPoint cursor) {
    // A distance is never negative: a negative threshold (0xFFFFFFFF stored,
    // read as -1) would end the saver with no movement at all, so it counts as 0.
    const int64_t threshold = std::max<int64_t>(settings.mouseThreshold, 0);
    return distance(cursor.x, settings.startCursor.x) > threshold ||
           distance(cursor.y, settings.startCursor.y) > threshold;
}

CloseAction decideClose(const SaverSettings& settings, uint32_t nowTick) {
    // A close that no input asked for (another program, the task list) never
    // ends the saver, and the prompt's own modal loop must not re-enter it.
    if (settings.closeRequested == 0)
        return CloseAction::Ignore;
    if (settings.checkingPassword != 0)
        return CloseAction::Ignore;
    // Both in unsigned 32-bit arithmetic: the tick count wraps after 49.7
    // days, and the difference stays right across the wrap.
    const uint32_t elapsed = nowTick - settings.startTick;
    const uint32_t limit = settings.passwordDelay * 1000u;
    return elapsed <= limit ? CloseAction::Destroy : CloseAction::CheckPassword;
}

bool isDeactivation(uintptr_t firstParameter) {
    return (firstParameter & 0xFFFFu) == 0;
}

// Compared whole: the system reserves the low four bits of a command for its
// own use, and a command with any of them set is not ours to swallow.
bool swallowsSysCommand(uintptr_t command) {
    return command == kScScreenSave || command == kScClose;
}

InputNoticeVerdict judgeInputNotice(uint32_t noticeTick, bool sawInput, uint32_t lastInputTick,
                                    uint32_t nowTick) {
    // Signed differences of wrapping ticks: the input may come just before
    // the notice (the saver read it first) or just after (the signal won).
    const int64_t gap = static_cast<int32_t>(lastInputTick - noticeTick);
    if (sawInput && gap >= -int64_t{kInputNoticeWindowMs} && gap <= int64_t{kInputNoticeWindowMs})
        return InputNoticeVerdict::Stay;
    return nowTick - noticeTick > kInputNoticeWindowMs ? InputNoticeVerdict::End : InputNoticeVerdict::Wait;
}

uint32_t renderFlagsFor(const SaverSettings& settings) {
    return settings.useMirrors != 0 ? kMirrorsBit : 0u;
}
