// zellik-wine-helper: the Windows side of the end-to-end tests.
//   preview SAVER.scr STOP-FILE: as the display settings do, starts the saver with /p in a framed parent,
//     prints "outer W H" (the parent) and "child W H" (the saver's window), and once STOP-FILE exists
//     destroys the parent and prints "exit CODE" for the saver (259 while it still runs).
//   close: posts WM_CLOSE to the saver's window, as another program would.
//   display-change N: once Wine counts N monitors, sends WM_DISPLAYCHANGE to every top-level window, as
//     Windows does after a monitor comes or goes (Wine 8 follows a RandR change but tells no window).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The parent must stay responsive while the saver sets itself up in it.
void pumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

int preview(const char* saver, const char* stopFile) {
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = DefWindowProcA;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    parentClass.lpszClassName = "ZellikPreviewParent";
    RegisterClassA(&parentClass);
    // Framed, so that its outer and client rectangles differ.
    HWND parent =
        CreateWindowExA(0, "ZellikPreviewParent", "Zellik preview parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        100, 80, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpFor(100);
    RECT outer{}, inner{};
    GetWindowRect(parent, &outer);
    std::printf("outer %ld %ld\n", outer.right - outer.left, outer.bottom - outer.top);
    std::string line =
        "\"" + std::string(saver) + "\" /p " + std::to_string(reinterpret_cast<intptr_t>(parent));
    STARTUPINFOA startUp{};
    startUp.cb = sizeof startUp;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startUp, &process))
        return 4;
    HWND child = nullptr;
    for (int i = 0; i < 200 && child == nullptr; ++i) {
        pumpFor(50);
        child = FindWindowExA(parent, nullptr, "OpenGL", "SaverWindow");
    }
    GetWindowRect(child, &inner);
    std::printf("child %ld %ld\n", inner.right - inner.left, inner.bottom - inner.top);
    std::fflush(stdout);
    for (int i = 0; i < 600 && GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES; ++i)
        pumpFor(50);
    DestroyWindow(parent);
    for (int i = 0; i < 200 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++i)
        pumpFor(50);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit %lu\n", code);
    TerminateProcess(process.hProcess, 1);
    return code == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "preview") == 0)
        return preview(argv[2], argv[3]);
    if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
        HWND saver = FindWindowA("OpenGL", "SaverWindow");
        return saver != nullptr && PostMessageA(saver, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "display-change") == 0) {
        for (int i = 0; i < 300 && GetSystemMetrics(SM_CMONITORS) != std::atoi(argv[2]); ++i)
            Sleep(100);
        if (GetSystemMetrics(SM_CMONITORS) != std::atoi(argv[2]))
            return 1;
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_DISPLAYCHANGE, 32,
                            MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                            SMTO_ABORTIFHUNG, 5000, &answer);
        return 0;
    }
    return 2; // usage: above
}
