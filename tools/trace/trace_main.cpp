// zellik-trace: the frame trace of the Windows build. It runs the scene on the
// same simulated clock as zellik-render --trace and prints the same lines, so
// that the two builds can be compared line for line: any difference is a
// difference of arithmetic, random draws or formatting between the systems.
// With --out it also reads the last frame back and writes it as a binary PPM,
// which the tests compare with the same reference pictures as the Linux
// renderer's: the same seed then gives the same picture, not only the same
// state.
//
// The scene needs a current OpenGL context, so the tool makes a hidden window
// with a WGL context, as the saver does, and never shows it.
#include "platform/counter.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"
#include "scene/frame_trace.h"
#include "tools/render/render_options.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {

const char* const kTraceUsage = "Usage: zellik-trace [options]\n"
                                "Runs the Zellik kaleidoscope in a hidden window on a simulated clock and\n"
                                "prints one trace line per frame, exactly as zellik-render --trace does.\n"
                                "\n"
                                "  --size WxH        picture size in pixels (default 1280x720)\n"
                                "  --frames N        number of frames to run (default 300)\n"
                                "  --fps F           frames per simulated second (default 30)\n"
                                "  --seed S          random seed, 0 to 4294967295 (default 42)\n"
                                "  --mirrors on|off  draw the kaleidoscope, or the tiles once, unclipped\n"
                                "  --out FILE.ppm    also write the last frame as a binary PPM\n"
                                "  --trace           print the trace (always, unless --out is given)\n"
                                "  --help            show this text\n";

struct HiddenGlWindow {
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderingContext = nullptr;

    bool create(int32_t width, int32_t height) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "ZellikTrace";
        if (RegisterClassA(&windowClass) == 0)
            return false;
        window = CreateWindowExA(0, "ZellikTrace", "zellik-trace", WS_POPUP, 0, 0, width, height, nullptr,
                                 nullptr, instance, nullptr);
        if (window == nullptr)
            return false;
        deviceContext = GetDC(window);
        // The saver's own pixel format, so that the scene runs on the kind of
        // context it gets on screen.
        PIXELFORMATDESCRIPTOR format{};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        const int chosen = ChoosePixelFormat(deviceContext, &format);
        if (chosen == 0 || !SetPixelFormat(deviceContext, chosen, &format))
            return false;
        renderingContext = wglCreateContext(deviceContext);
        return renderingContext != nullptr && wglMakeCurrent(deviceContext, renderingContext);
    }

    void destroy() {
        wglMakeCurrent(nullptr, nullptr);
        if (renderingContext != nullptr)
            wglDeleteContext(renderingContext);
        if (window != nullptr) {
            ReleaseDC(window, deviceContext);
            DestroyWindow(window);
        }
    }
};

// The back buffer as a binary PPM, top row first.
bool writeFrame(const char* path, int32_t width, int32_t height) {
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "zellik-trace: cannot write %s\n", path);
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", int(width), int(height));
    const size_t row = size_t(width) * 3;
    bool written = true;
    for (int32_t y = height - 1; y >= 0; --y) // OpenGL's rows are bottom first
        written = written && std::fwrite(&rgb[size_t(y) * row], 1, row, file) == row;
    return std::fclose(file) == 0 && written;
}

int run(const RenderOptions& options) {
    HiddenGlWindow context;
    if (!context.create(options.width, options.height)) {
        std::fprintf(stderr, "zellik-trace: no OpenGL context (error %lu)\n", GetLastError());
        context.destroy();
        return 1;
    }
    // One tick per frame at a rate of framesPerSecond ticks a second, exactly
    // as zellik-render counts.
    SteppedCounter clock{options.framesPerSecond, 1, 0};
    KaleidoscopeScene* scene =
        new (std::nothrow) KaleidoscopeScene(options.width, options.height, options.seed, clock.counter());
    if (scene == nullptr) {
        context.destroy();
        return 1;
    }
    const uint32_t flags = options.mirrors ? kRenderMirrors : 0;
    const bool trace = options.trace || options.out.empty();
    std::vector<char> line(2048);
    for (int64_t frame = 1; frame <= options.frames; ++frame) {
        clock.step();
        scene->renderFrame(flags);
        if (trace) {
            formatFrameTrace(*scene, frame, line.data(), line.size());
            std::puts(line.data());
        }
    }
    const bool written =
        options.out.empty() || writeFrame(options.out.c_str(), options.width, options.height);
    delete scene;
    context.destroy();
    return std::fflush(stdout) == 0 && written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Newlines as on Linux, so the lines compare byte for byte; and one write
    // per buffer instead of one per line, which Wine's console pipe makes slow.
    _setmode(_fileno(stdout), _O_BINARY);
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zellik-trace: %s\nTry 'zellik-trace --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kTraceUsage, stdout);
        return 0;
    }
    if (options.every > 0) {
        std::fputs("zellik-trace: writes the last frame only; --every belongs to zellik-render\n", stderr);
        return 2;
    }
    return run(options);
}
