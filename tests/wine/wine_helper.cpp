// Plays the display settings' part in a preview: makes a parent window,
// starts the saver with /p and the parent's handle, reports where the
// saver's child window lies, and on request destroys the parent, which takes
// the child with it, then reports how the saver process ended.
//
//   zellik-preview-parent.exe SAVER.scr STOP-FILE
//
// Output lines (stdout): "parent HWND", "outer W H", "client X Y W H" (screen
// pixels), "child W H", then after STOP-FILE appears "exit CODE" or
// "exit timeout". The exit code is 0 when the saver made its child at the
// parent's outer size and ended when the parent was destroyed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM firstParameter, LPARAM secondParameter) {
    return DefWindowProcA(window, message, firstParameter, secondParameter);
}

// Handles this thread's messages for a while; the parent must stay
// responsive while the saver sets itself up in it.
void pumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

bool fileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zellik-preview-parent SAVER.scr STOP-FILE\n");
        return 2;
    }
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = parentProc;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    parentClass.lpszClassName = "ZellikPreviewParent";
    RegisterClassA(&parentClass);
    // A framed window, so that its outer and client rectangles differ.
    HWND parent =
        CreateWindowExA(0, "ZellikPreviewParent", "Zellik preview parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        100, 80, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (parent == nullptr)
        return 3;
    pumpFor(100);

    RECT outer{};
    RECT client{};
    GetWindowRect(parent, &outer);
    GetClientRect(parent, &client);
    POINT clientOrigin{0, 0};
    ClientToScreen(parent, &clientOrigin);
    std::printf("parent %lld\n", static_cast<long long>(reinterpret_cast<intptr_t>(parent)));
    std::printf("outer %ld %ld\n", outer.right - outer.left, outer.bottom - outer.top);
    std::printf("client %ld %ld %ld %ld\n", clientOrigin.x, clientOrigin.y, client.right, client.bottom);
    std::fflush(stdout);

    std::string commandLine = "\"" + std::string(argv[1]) + "\" /p " +
                              std::to_string(static_cast<long long>(reinterpret_cast<intptr_t>(parent)));
    STARTUPINFOA startUp{};
    startUp.cb = sizeof startUp;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startUp,
                        &process)) {
        std::printf("start failed %lu\n", GetLastError());
        return 4;
    }

    HWND child = nullptr;
    for (int i = 0; i < 200 && child == nullptr; ++i) {
        pumpFor(50);
        child = FindWindowExA(parent, nullptr, "OpenGL", "SaverWindow");
    }
    int status = 0;
    if (child == nullptr) {
        std::printf("child none\n");
        status = 5;
    } else {
        RECT childRect{};
        GetWindowRect(child, &childRect);
        const LONG width = childRect.right - childRect.left;
        const LONG height = childRect.bottom - childRect.top;
        std::printf("child %ld %ld\n", width, height);
        if (width != outer.right - outer.left || height != outer.bottom - outer.top)
            status = 6;
    }
    std::fflush(stdout);

    // The test looks at the screen meanwhile; it says when to end.
    for (int i = 0; i < 600 && !fileExists(argv[2]); ++i)
        pumpFor(50);
    DestroyWindow(parent);
    DWORD exitCode = 0;
    for (int i = 0; i < 200; ++i) {
        pumpFor(50);
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0)
            break;
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &exitCode)) {
        std::printf("exit %lu\n", exitCode);
        if (exitCode != 0 && status == 0)
            status = 7;
    } else {
        std::printf("exit timeout\n");
        TerminateProcess(process.hProcess, 1);
        if (status == 0)
            status = 8;
    }
    std::fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
