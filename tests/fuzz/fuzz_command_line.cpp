// Fuzz target: any bytes as the saver's command line, program name included.
#include "host/common/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size); // stops at the first NUL
    const CommandLine parsed = parseCommandLine(line.c_str());
    const auto mode = static_cast<int32_t>(parsed.mode);
    if (mode < 0 || mode > 4)
        std::abort();
    // Only the switches that take a window carry one.
    if (parsed.parentWindow != 0 && parsed.mode != SaverMode::Configure &&
        parsed.mode != SaverMode::ChangePassword && parsed.mode != SaverMode::Preview)
        std::abort();
    return 0;
}
