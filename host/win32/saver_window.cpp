#include "host/win32/saver_window.h"

#include "host/common/close_rules.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_window_proc.h"
#include "platform/counter.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"

#include <new>

namespace {

// Shared by the loop and the teardown; the window procedure reaches the
// window through the settings record instead.
HWND saverWindow = nullptr;
KaleidoscopeScene* scene = nullptr;

constexpr UINT kScreenSaverRunning = 97; // SPI_SCREENSAVERRUNNING

void showError(const char* text) {
    MessageBoxA(nullptr, text, "Error", MB_OK);
}

bool registerSaverClass() {
    WNDCLASSA saverClass{};
    // CS_OWNDC: the device context taken once below stays valid, with its
    // pixel format, for the whole run. No cursor and no background brush:
    // WM_SETCURSOR sets the cursor, and every picture comes from the loop.
    saverClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    saverClass.lpfnWndProc = saverWindowProc;
    saverClass.hInstance = saverInstance;
    saverClass.lpszClassName = "OpenGL";
    return RegisterClassA(&saverClass) != 0;
}

// The run loop: every pending message is handled before the next frame, and
// the only wait is the pause the scene's pacing asks for after each frame.
void runFrameLoop(HDC deviceContext) {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (scene == nullptr) {
            // Without a scene there is nothing to draw, but the window must
            // still close on input: wait for the next message instead of
            // spinning.
            WaitMessage();
            continue;
        }
        // useMirrors is read each frame; only start-up and the dialog set it.
        if (scene->renderFrame(renderFlagsFor(*saverSettings)))
            SwapBuffers(deviceContext);
        Sleep(static_cast<DWORD>(scene->sleepInterval()));
    }
}

// A preview needs a real window to draw in: one that exists, has an area,
// and sits on the desktop. A number that names none of these (0, a stale
// handle, HWND_MESSAGE's -3, a message-only window) ends the run before
// anything is made; a child of a message-only window would never be seen
// and never be closed.
bool isPreviewParent(HWND parent) {
    RECT outer{0, 0, 0, 0};
    if (!IsWindow(parent) || !GetWindowRect(parent, &outer) || outer.right <= outer.left ||
        outer.bottom <= outer.top)
        return false;
    return GetAncestor(GetAncestor(parent, GA_ROOT), GA_PARENT) == GetDesktopWindow();
}

} // namespace

void runSaverWindow(HWND parent, int showCommand) {
    if (saverMode == SaverMode::Preview && !isPreviewParent(parent))
        return;
    if (!registerSaverClass()) {
        showError("RegisterClass() failed:  Cannot register window class.");
        return;
    }

    const bool fullScreen = saverMode == SaverMode::FullScreen;
    DWORD style = 0;
    int32_t width = 0;
    int32_t height = 0;
    if (fullScreen) {
        style = WS_POPUP | WS_VISIBLE;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    } else {
        // The preview fills the parent's outer rectangle, frame included.
        style = WS_CHILD | WS_VISIBLE;
        RECT outer{0, 0, 0, 0};
        GetWindowRect(parent, &outer);
        width = outer.right - outer.left;
        height = outer.bottom - outer.top;
    }
    // WM_CREATE records the window, the start cursor and the start tick.
    saverWindow = CreateWindowExA(0, "OpenGL", "SaverWindow", style, 0, 0, width, height, parent, nullptr,
                                  saverInstance, nullptr);
    if (saverWindow == nullptr)
        return; // not a window to draw into (a stale preview handle): nothing to say

    UINT previousState = 0;
    if (fullScreen)
        SystemParametersInfoA(kScreenSaverRunning, 1, &previousState, 0);

    HDC deviceContext = GetDC(saverWindow);
    static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the descriptor size the system expects");
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    const int formatIndex = ChoosePixelFormat(deviceContext, &format);
    if (formatIndex == 0) {
        showError("ChoosePixelFormat() failed:  Cannot find a suitable pixel format.");
        if (fullScreen)
            SystemParametersInfoA(kScreenSaverRunning, 0, &previousState, 0);
        return;
    }
    if (!SetPixelFormat(deviceContext, formatIndex, &format)) {
        showError("SetPixelFormat() failed:  Cannot set format specified.");
        if (fullScreen)
            SystemParametersInfoA(kScreenSaverRunning, 0, &previousState, 0);
        return;
    }
    HGLRC renderingContext = wglCreateContext(deviceContext);
    wglMakeCurrent(deviceContext, renderingContext);

    // The scene builds textures and the projection, so the context must be
    // current first.
    scene = new (std::nothrow) KaleidoscopeScene(width, height, seedFromCalendarTime(), systemCounter());

    ShowWindow(saverWindow, showCommand);
    runFrameLoop(deviceContext);

    // The scene releases its textures, which needs its context still current.
    delete scene;
    scene = nullptr;
    wglMakeCurrent(nullptr, nullptr);
    ReleaseDC(saverWindow, deviceContext);
    wglDeleteContext(renderingContext);
    if (fullScreen)
        SystemParametersInfoA(kScreenSaverRunning, 0, &previousState, 0);
}
