// An OpenGL compatibility context with no window and no X server: Mesa through
// EGL on the surfaceless platform, drawing into a pbuffer of a given size.
#pragma once
#include <cstdint>

struct HeadlessContext {
    void* display; // EGLDisplay
    void* surface; // EGLSurface
    void* context; // EGLContext
    int32_t width;
    int32_t height;

    // Creates the context and makes it current. On failure prints one line
    // to stderr and returns false, leaving nothing behind.
    bool create(int32_t pixelsWide, int32_t pixelsHigh);
    void destroy();
    // The back buffer as RGBA rows, top row first, into out (width * height * 4).
    void readPixels(unsigned char* out) const;
};
