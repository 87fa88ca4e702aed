#include "host/win32/saver_window.h"

#include "host/common/close_rules.h"
#include "host/common/monitor_layout.h"
#include "host/common/run_seed.h"
#include "host/win32/host_state.h"
#include "host/win32/saver_window_proc.h"
#include "platform/counter.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <new>
#include <vector>

namespace {

// Shared by the loop and the teardown; the window procedure reaches the
// window through the settings record instead. Full screen, one window covers
// every monitor, with a scene and a viewport per monitor: a single top-level
// window keeps the activation rule whole (another window of ours taking the
// focus would close the saver) and sees the pointer everywhere. One monitor
// gives one scene that keeps the viewport it set up, as a preview does.
HWND saverWindow = nullptr;
uint32_t sceneSeed = 0; // every scene of the run starts from it
std::vector<KaleidoscopeScene*> scenes;
std::vector<ScreenArea> sceneAreas; // full screen: the monitor of each scene, in screen pixels
std::vector<ScreenArea> viewports;  // with several scenes, one for each

// The monitors in virtual-screen pixels (the manifest declares per-monitor
// DPI awareness, so they are real pixels, whatever each monitor's scale).
BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const RECT& r = info.rcMonitor;
    if (GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<ScreenArea>*>(list)->push_back(
            ScreenArea{r.left, r.top, r.right - r.left, r.bottom - r.top});
    return TRUE;
}

// The virtual screen; the primary screen alone when the system tells of no
// virtual screen.
ScreenArea virtualScreen() {
    const ScreenArea screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (screen.width <= 0 || screen.height <= 0)
        return ScreenArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return screen;
}

bool sameArea(const ScreenArea& a, const ScreenArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// Start-up and a change of monitors are one path: the window covers the
// virtual screen; a scene whose monitor stays draws on, one whose monitor
// went is deleted, and a new monitor gets a scene of its own from the run's
// seed, as at start. The areas' order (larger first, a smaller one on top
// drawn later) holds for old and new scenes alike. A scene that cannot be
// made leaves none, as at start.
void followMonitors() {
    monitorsChanged = false;
    const ScreenArea screen = virtualScreen();
    std::vector<ScreenArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    const std::vector<ScreenArea> areas = saverScreenAreas(monitors, screen);
    RECT now{0, 0, 0, 0};
    GetWindowRect(saverWindow, &now);
    if (!sameArea(screen, ScreenArea{now.left, now.top, now.right - now.left, now.bottom - now.top}))
        SetWindowPos(saverWindow, nullptr, screen.x, screen.y, screen.width, screen.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);

    std::vector<KaleidoscopeScene*> followed(areas.size(), nullptr);
    for (size_t i = 0; i < scenes.size(); ++i) {
        const auto same = std::find_if(areas.begin(), areas.end(),
                                       [i](const ScreenArea& area) { return sameArea(area, sceneAreas[i]); });
        if (same != areas.end())
            followed[static_cast<size_t>(same - areas.begin())] = scenes[i];
        else
            delete scenes[i];
    }
    bool whole = true;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (followed[i] == nullptr)
            followed[i] = new (std::nothrow)
                KaleidoscopeScene(areas[i].width, areas[i].height, sceneSeed, systemCounter());
        whole = whole && followed[i] != nullptr;
    }
    if (!whole) {
        for (KaleidoscopeScene* scene : followed)
            delete scene;
        followed.clear();
    }
    scenes = followed;
    sceneAreas = areas;
    viewports.clear();
    std::transform(areas.begin(), areas.end(), std::back_inserter(viewports),
                   [&screen](const ScreenArea& area) { return viewportOf(area, screen); });
    // A single scene draws with the viewport it set up, over the whole
    // window; one left over from several takes that viewport again.
    if (scenes.size() == 1) {
        glDisable(GL_SCISSOR_TEST);
        setSceneViewport(areas[0].width, areas[0].height);
    }
}

// One frame of every scene; false when none asks for a swap. With several,
// the whole window is cleared (no monitor may cover a corner of it) and each
// scene draws inside its own viewport, its clear held there by the scissor.
bool renderScenes(uint32_t flags, DWORD* pause) {
    if (scenes.size() > 1) {
        glDisable(GL_SCISSOR_TEST);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
    }
    bool swap = false;
    *pause = 1000;
    for (size_t i = 0; i < scenes.size(); ++i) {
        if (scenes.size() > 1) {
            const ScreenArea& v = viewports[i];
            setSceneViewport(v.width, v.height);
            glViewport(v.x, v.y, v.width, v.height);
            glScissor(v.x, v.y, v.width, v.height);
        }
        swap = scenes[i]->renderFrame(flags) || swap;
        *pause = std::min(*pause, static_cast<DWORD>(scenes[i]->sleepInterval()));
    }
    return swap;
}

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
        if (monitorsChanged) {
            followMonitors();
            continue;
        }
        if (scenes.empty() || displayOff) {
            // Without a scene, or with the display off, there is nothing to
            // draw (or nothing seen), but the window must still close on
            // input: wait for the next message instead of spinning. The
            // scene's clock runs on, so the picture comes back where time has
            // brought it.
            WaitMessage();
            continue;
        }
        // useMirrors is read each frame; only start-up and the dialog set it.
        DWORD pause = 0;
        if (renderScenes(renderFlagsFor(*saverSettings), &pause))
            SwapBuffers(deviceContext);
        Sleep(pause);
    }
}

// The display's power notices (WM_POWERBROADCAST) come only to a window that
// asks for them; user32 has the calls from Windows Vista on, so they are
// looked up by name and skipped where they are missing. The session's display
// where the system has it; should it refuse that, the console's.
HPOWERNOTIFY watchDisplayPower(HWND window) {
    using Register = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
    const auto call = reinterpret_cast<Register>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "RegisterPowerSettingNotification")));
    if (call == nullptr)
        return nullptr;
    // Without a manifest naming Windows 8.1 or later the system says 6.2:
    // still Windows 8 or later, which is all that is asked.
    const DWORD version = GetVersion();
    const GUID& setting = displayPowerSetting(LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)));
    HPOWERNOTIFY notice = call(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (notice == nullptr && !IsEqualGUID(setting, kConsoleDisplayState))
        notice = call(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    return notice;
}

void unwatchDisplayPower(HPOWERNOTIFY notice) {
    using Unregister = BOOL(WINAPI*)(HPOWERNOTIFY);
    const auto call = reinterpret_cast<Unregister>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "UnregisterPowerSettingNotification")));
    if (call != nullptr)
        call(notice);
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
    int32_t left = 0, top = 0, width = 0, height = 0;
    if (fullScreen) {
        style = WS_POPUP | WS_VISIBLE;
        const ScreenArea screen = virtualScreen();
        left = screen.x, top = screen.y, width = screen.width, height = screen.height;
    } else {
        // The preview fills the parent's outer rectangle, frame included.
        style = WS_CHILD | WS_VISIBLE;
        RECT outer{0, 0, 0, 0};
        GetWindowRect(parent, &outer);
        width = outer.right - outer.left;
        height = outer.bottom - outer.top;
    }
    // WM_CREATE records the window, the start cursor and the start tick.
    saverWindow = CreateWindowExA(0, "OpenGL", "SaverWindow", style, left, top, width, height, parent,
                                  nullptr, saverInstance, nullptr);
    if (saverWindow == nullptr)
        return; // not a window to draw into (a stale preview handle): nothing to say

    UINT previousState = 0;
    HPOWERNOTIFY displayNotice = nullptr;
    if (fullScreen) {
        SystemParametersInfoA(kScreenSaverRunning, 1, &previousState, 0);
        displayNotice = watchDisplayPower(saverWindow);
    }

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
    // current first. Every monitor starts from the same seed.
    sceneSeed = runSeed(std::getenv(kFixedSeedVariable), seedFromCalendarTime());
    if (fullScreen) {
        followMonitors();
    } else {
        KaleidoscopeScene* scene =
            new (std::nothrow) KaleidoscopeScene(width, height, sceneSeed, systemCounter());
        if (scene != nullptr)
            scenes.push_back(scene);
    }

    ShowWindow(saverWindow, showCommand);
    runFrameLoop(deviceContext);

    // A scene releases its textures, which needs its context still current.
    for (KaleidoscopeScene* scene : scenes)
        delete scene;
    scenes.clear();
    wglMakeCurrent(nullptr, nullptr);
    ReleaseDC(saverWindow, deviceContext);
    wglDeleteContext(renderingContext);
    if (fullScreen)
        SystemParametersInfoA(kScreenSaverRunning, 0, &previousState, 0);
    if (displayNotice != nullptr)
        unwatchDisplayPower(displayNotice);
}
