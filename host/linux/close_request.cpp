#include "host/linux/close_request.h"
#include "host/common/close_rules.h"

bool requestClose(SaverSettings* settings, uint32_t nowTick) {
    settings->closeRequested = 1;
    // This system has no screen-saver password library. Where the library is
    // missing the check passes at once, so a close after the password delay
    // ends the saver as one within it does.
    return decideClose(*settings, nowTick) != CloseAction::Ignore;
}
