#include "tools/render/render_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kRenderUsage =
    "Usage: zellik-render [options]\n"
    "Draws the Zellik kaleidoscope without any window and writes PNG files.\n"
    "The clock is simulated: it advances by exactly one frame period per frame,\n"
    "so the same options always give the same pictures.\n"
    "\n"
    "  --size WxH        picture size in pixels (default 1280x720)\n"
    "  --frames N        number of frames to run (default 300)\n"
    "  --fps F           frames per simulated second (default 30)\n"
    "  --seed S          random seed, 0 to 4294967295 (default 42; the saver\n"
    "                    itself uses the calendar time modulo 256)\n"
    "  --mirrors on|off  draw the kaleidoscope, or the tiles once, unclipped\n"
    "  --out PATH        write the last frame to PATH (a .png file)\n"
    "  --every K         with --out DIR/: write every K-th frame as\n"
    "                    DIR/frame-NNNNN.png (the last frame too)\n"
    "  --trace           print one line per frame with the state that fixes\n"
    "                    the picture (format in scene/frame_trace.h)\n"
    "  --help            show this text\n";

namespace {

bool parseInteger(const char* text, long long minimum, long long maximum, long long& value) {
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

bool parseSize(const char* text, int32_t& width, int32_t& height) {
    const char* cross = std::strchr(text, 'x');
    if (cross == nullptr)
        return false;
    const std::string left(text, cross);
    long long w = 0, h = 0;
    if (!parseInteger(left.c_str(), 1, 16384, w) || !parseInteger(cross + 1, 1, 16384, h))
        return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

} // namespace

bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--trace") {
            options.trace = true;
            continue;
        }
        const bool takesValue = name == "--size" || name == "--frames" || name == "--fps" ||
                                name == "--seed" || name == "--mirrors" || name == "--out" ||
                                name == "--every";
        if (!takesValue) {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        long long number = 0;
        bool ok = true;
        if (name == "--size") {
            ok = parseSize(value, options.width, options.height);
        } else if (name == "--frames") {
            ok = parseInteger(value, 1, 1000000000LL, number);
            options.frames = number;
        } else if (name == "--fps") {
            ok = parseInteger(value, 1, 1000, number);
            options.framesPerSecond = static_cast<int32_t>(number);
        } else if (name == "--seed") {
            ok = parseInteger(value, 0, 4294967295LL, number);
            options.seed = static_cast<uint32_t>(number);
            options.seedGiven = true;
        } else if (name == "--every") {
            ok = parseInteger(value, 1, 1000000000LL, number);
            options.every = number;
        } else if (name == "--mirrors") {
            ok = std::strcmp(value, "on") == 0 || std::strcmp(value, "off") == 0;
            options.mirrors = std::strcmp(value, "on") == 0;
        } else {
            options.out = value;
            ok = !options.out.empty();
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (options.every > 0 && options.out.empty()) {
        error = "--every needs --out DIR/";
        return false;
    }
    return true;
}
