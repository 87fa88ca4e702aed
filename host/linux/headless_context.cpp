#include "host/linux/headless_context.h"
#include "platform/gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* eglErrorName(EGLint error) {
    switch (error) {
    case EGL_NOT_INITIALIZED:
        return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ALLOC:
        return "EGL_BAD_ALLOC";
    case EGL_BAD_CONFIG:
        return "EGL_BAD_CONFIG";
    case EGL_BAD_MATCH:
        return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER:
        return "EGL_BAD_PARAMETER";
    default:
        return "EGL error";
    }
}

bool fail(const char* step) {
    std::fprintf(stderr, "zellik: cannot create a headless OpenGL context: %s failed (%s)\n", step,
                 eglErrorName(eglGetError()));
    return false;
}

// Mesa's surfaceless platform first: it needs no display server at all.
// Drivers without it (NVIDIA's) still make pbuffers on their default display.
EGLDisplay openDisplay() {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay dpy = EGL_NO_DISPLAY;
    if (getPlatformDisplay != nullptr) {
        dpy = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (dpy != EGL_NO_DISPLAY && eglInitialize(dpy, nullptr, nullptr))
            return dpy;
    }
    dpy = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (dpy != EGL_NO_DISPLAY && eglInitialize(dpy, nullptr, nullptr))
        return dpy;
    return EGL_NO_DISPLAY;
}

} // namespace

bool HeadlessContext::create(int32_t pixelsWide, int32_t pixelsHigh) {
    display = config = surface = context = nullptr;
    width = pixelsWide;
    height = pixelsHigh;

    EGLDisplay dpy = openDisplay();
    if (dpy == EGL_NO_DISPLAY)
        return fail("eglInitialize");
    display = dpy;

    // The saver asks its windows for 32 colour bits and nothing else; the
    // same here, so both draw the same picture.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       0,
                                       EGL_NONE};
    EGLint configCount = 0;
    if (!eglChooseConfig(dpy, configAttributes, &config, 1, &configCount) || configCount < 1) {
        fail("eglChooseConfig");
        destroy();
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, pixelsWide, EGL_HEIGHT, pixelsHigh, EGL_NONE};
    surface = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        surface = nullptr;
        fail("eglCreatePbufferSurface");
        destroy();
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        fail("eglBindAPI");
        destroy();
        return false;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context = eglCreateContext(dpy, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        context = nullptr;
        fail("eglCreateContext");
        destroy();
        return false;
    }
    if (!eglMakeCurrent(dpy, surface, surface, context)) {
        fail("eglMakeCurrent");
        destroy();
        return false;
    }
    return true;
}

bool HeadlessContext::resize(int32_t pixelsWide, int32_t pixelsHigh) {
    const EGLint surfaceAttributes[] = {EGL_WIDTH, pixelsWide, EGL_HEIGHT, pixelsHigh, EGL_NONE};
    EGLSurface bigger = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (bigger == EGL_NO_SURFACE)
        return false;
    if (!eglMakeCurrent(display, bigger, bigger, context)) {
        eglDestroySurface(display, bigger);
        return false;
    }
    eglDestroySurface(display, surface);
    surface = bigger;
    width = pixelsWide;
    height = pixelsHigh;
    return true;
}

void HeadlessContext::destroy() {
    if (display == nullptr)
        return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != nullptr)
        eglDestroyContext(display, context);
    if (surface != nullptr)
        eglDestroySurface(display, surface);
    eglTerminate(display);
    display = config = surface = context = nullptr;
}

void HeadlessContext::readPixels(unsigned char* out) const {
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
    // OpenGL returns the bottom row first; turn it round in place.
    std::vector<unsigned char> swap(rowBytes);
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = out + static_cast<size_t>(top) * rowBytes;
        unsigned char* b = out + static_cast<size_t>(bottom) * rowBytes;
        std::memcpy(swap.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, swap.data(), rowBytes);
    }
}

void HeadlessContext::readBgraBottomUp(unsigned char* out) const {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
}
