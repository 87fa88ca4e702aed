// The command line of zellik-render.
#pragma once
#include <cstdint>
#include <string>

struct RenderOptions {
    int32_t width = 1280;
    int32_t height = 720;
    int64_t frames = 300;
    uint32_t seed = 42;
    bool seedGiven = false;
    bool mirrors = true;
    int32_t framesPerSecond = 30;
    int64_t every = 0; // 0: only the last frame is written
    std::string out;   // a file, or with --every a folder
    bool trace = false;
    bool help = false;
};

// Parses argv into options. False, with the reason in `error`, on anything
// it does not understand.
bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

extern const char* const kRenderUsage;
