// An OpenGL compatibility context with no window: Mesa through EGL on the
// surfaceless platform (no X server, no compositor), else the system's
// default EGL display, drawing into a pbuffer of a given size. The headless
// renderer draws into it, and so does the settings dialog's preview, which
// works alike on X11 and Wayland because it needs neither.
#pragma once
#include <cstdint>

struct HeadlessContext {
    void* display; // EGLDisplay
    void* config;  // EGLConfig
    void* surface; // EGLSurface
    void* context; // EGLContext
    int32_t width;
    int32_t height;

    // Creates the context and makes it current. On failure prints one line
    // to stderr and returns false, leaving nothing behind.
    bool create(int32_t pixelsWide, int32_t pixelsHigh);
    // A new pbuffer of that size under the same context, so that textures
    // made in it stay. False (nothing printed) when it cannot be made; the
    // old one stays then.
    bool resize(int32_t pixelsWide, int32_t pixelsHigh);
    void destroy();
    // The back buffer as RGBA rows, top row first, into out (width * height * 4).
    void readPixels(unsigned char* out) const;
    // The back buffer as cairo's RGB24 pixels on a little-endian machine
    // (B, G, R, x bytes), bottom row first: no copy, no allocation.
    void readBgraBottomUp(unsigned char* out) const;
};
