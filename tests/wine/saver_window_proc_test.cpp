// The saver window's procedure on the real Win32 API: real window, messages, cursor and tick count.
#include "host/win32/host_state.h"
#include "host/win32/saver_window_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace {

int closesSeen;                    // WM_CLOSE messages the procedure saw
std::vector<int32_t> flagAtCursor; // checkingPassword at each WM_SETCURSOR

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM first, LPARAM second) {
    closesSeen += message == WM_CLOSE ? 1 : 0;
    if (message == WM_SETCURSOR)
        flagAtCursor.push_back(saverSettings->checkingPassword);
    return saverWindowProc(window, message, first, second);
}

class SaverWindowProcTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = recordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ZellikProcTest";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void SetUp() override {
        settings = SaverSettings{nullptr, 15, 50, {0, 0}, 0, 0, 0, 1};
        saverSettings = &settings;
    }
    void TearDown() override {
        DestroyWindow(window);
        removed();
    }
    // Not shown, so that no activation changes arrive unasked.
    void create(SaverMode mode, int cursorX = 123, int cursorY = 234) {
        DestroyWindow(window);
        saverMode = mode;
        SetCursorPos(cursorX, cursorY);
        const DWORD before = GetTickCount();
        window = CreateWindowExA(0, "ZellikProcTest", "SaverWindow", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(settings.window == window && settings.startCursor.x == cursorX &&
                    settings.startCursor.y == cursorY &&
                    settings.startTick - before <= GetTickCount() - before);
        removed();
        closesSeen = 0;
        flagAtCursor.clear();
    }
    // Removes the posted messages of one kind (0: all); how many there were.
    static int removed(UINT kind = 0) {
        int count = 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, kind, kind, PM_REMOVE))
            ++count;
        return count;
    }
    SaverSettings settings{};
    HWND window = nullptr;
};

// Keys, the three buttons, deactivation and the cursor (its place, not the message's) beyond the threshold
// ask to close, each with a WM_CLOSE of its own; system keys, releases and activation do not. Only full
// screen, and not while the prompt is up. Each input: message, parameters, cursor x (from 100), whether it
// asks.
TEST_F(SaverWindowProcTest, InputThatAsksToClose) {
    const std::tuple<UINT, WPARAM, LPARAM, int, bool> inputs[] = {
        {WM_KEYDOWN, 'A', 0, 100, true},
        {WM_LBUTTONDOWN, MK_LBUTTON, 0, 100, true},
        {WM_RBUTTONDOWN, MK_RBUTTON, 0, 100, true},
        {WM_MBUTTONDOWN, MK_MBUTTON, 0, 100, true},
        {WM_SYSKEYDOWN, VK_MENU, 0, 100, false},
        {WM_KEYUP, 'A', 0, 100, false},
        {WM_ACTIVATE, WA_INACTIVE, 0, 100, true},
        {WM_ACTIVATEAPP, FALSE, 0, 100, true},
        {WM_ACTIVATEAPP, TRUE, 0, 100, false},
        {WM_NCACTIVATE, FALSE, 0, 100, true},
        {WM_MOUSEMOVE, 0, MAKELPARAM(1000, 700), 150, false},
        {WM_MOUSEMOVE, 0, MAKELPARAM(100, 100), 151, true}};
    const std::pair<SaverMode, int32_t> situations[] = {
        {SaverMode::FullScreen, 0}, {SaverMode::FullScreen, 1}, {SaverMode::Preview, 0}};
    for (const auto& [mode, checkingPassword] : situations) {
        create(mode, 100, 100);
        settings.checkingPassword = checkingPassword;
        const bool watching = mode == SaverMode::FullScreen && checkingPassword == 0;
        for (const auto& [message, first, second, cursorX, asks] : inputs) {
            SetCursorPos(cursorX, 100);
            SendMessageA(window, message, first, second);
            const int closes = watching && asks ? 1 : 0;
            EXPECT_EQ(settings.closeRequested, closes) << message << " " << first;
            EXPECT_EQ(removed(WM_CLOSE), closes) << message << " " << first;
            settings.closeRequested = 0;
        }
        EXPECT_TRUE(IsWindow(window));
        // The cursor: hidden full screen, the arrow in a preview or for the prompt.
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        SendMessageA(window, WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), watching ? nullptr : LoadCursorA(nullptr, IDC_ARROW));
    }
}

// WM_CLOSE full screen follows the close rule: within the delay the window goes (ending the frame loop);
// after it the password check runs with the cursor shown, then hidden, the threshold measured anew, and (no
// prompt here) the window goes. Each row: delay, ms since the start, close requested, prompt up, whether the
// window goes, checkingPassword at each cursor change.
TEST_F(SaverWindowProcTest, CloseRule) {
    const std::tuple<uint32_t, uint32_t, int32_t, int32_t, bool, std::vector<int32_t>> closes[] = {
        {15, 0, 0, 0, false, {}},
        {15, 20000, 1, 1, false, {}},
        {15, 0, 1, 0, true, {}},
        {15, 20000, 1, 0, true, {1, 0}}};
    for (const auto& [delay, elapsed, requested, checking, destroyed, cursorFlags] : closes) {
        create(SaverMode::FullScreen);
        settings.passwordDelay = delay;
        settings.startTick = GetTickCount() - elapsed;
        settings.closeRequested = requested;
        settings.checkingPassword = checking;
        SetCursorPos(500, 400);
        EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
        EXPECT_EQ(!IsWindow(window), destroyed) << delay << " " << elapsed;
        EXPECT_EQ(removed(WM_QUIT) > 0, destroyed);
        EXPECT_EQ(flagAtCursor, cursorFlags) << delay << " " << elapsed;
        if (!cursorFlags.empty()) {
            EXPECT_TRUE(settings.startCursor.x == 500 && settings.startCursor.y == 400 &&
                        settings.checkingPassword == 0);
        }
    }
}

// SC_CLOSE and SC_SCREENSAVE are swallowed full screen (SC_CLOSE | 1 reaches the default handling's WM_CLOSE,
// which no input asked for); in a preview SC_CLOSE and WM_CLOSE end it.
TEST_F(SaverWindowProcTest, SystemCommandsAndPreviewClose) {
    create(SaverMode::FullScreen);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(closesSeen, 0);
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE | 1, 0);
    EXPECT_EQ(closesSeen, 1);
    EXPECT_TRUE(IsWindow(window));
    for (const UINT message : {UINT(WM_SYSCOMMAND), UINT(WM_CLOSE)}) {
        create(SaverMode::Preview);
        SendMessageA(window, message, message == WM_CLOSE ? 0 : SC_CLOSE, 0);
        EXPECT_FALSE(IsWindow(window)) << message;
        EXPECT_TRUE(removed(WM_QUIT) > 0);
    }
}

// The display watched: the session's from Windows 8 (6.2) on, the console's before. Its power notice, full
// screen only, either setting: off (0) stops the drawing, on (1) and dimmed (2) draw again; another notice,
// another setting or a preview changes nothing. No notice closes the saver.
TEST_F(SaverWindowProcTest, DisplayPowerPausesTheDrawing) {
    const std::tuple<DWORD, DWORD, bool> versions[] = {{6, 1, false}, {6, 2, true}, {10, 0, true}};
    for (const auto& [major, minor, session] : versions) {
        EXPECT_TRUE(IsEqualGUID(displayPowerSetting(major, minor),
                                session ? kSessionDisplayStatus : kConsoleDisplayState))
            << major << "." << minor;
    }
    const GUID other = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};
    const SaverMode full = SaverMode::FullScreen;
    const GUID display = kConsoleDisplayState, session = kSessionDisplayStatus;
    const std::tuple<SaverMode, GUID, WPARAM, DWORD, bool> notices[] = {
        {full, display, PBT_POWERSETTINGCHANGE, 0, true},
        {full, display, PBT_APMRESUMEAUTOMATIC, 1, true},
        {full, other, PBT_POWERSETTINGCHANGE, 1, true},
        {full, session, PBT_POWERSETTINGCHANGE, 2, false},
        {full, session, PBT_POWERSETTINGCHANGE, 0, true},
        {full, display, PBT_POWERSETTINGCHANGE, 1, false},
        {SaverMode::Preview, session, PBT_POWERSETTINGCHANGE, 0, false}};
    for (const auto& [mode, guid, event, state, off] : notices) {
        create(mode);
        POWERBROADCAST_SETTING setting{guid, sizeof(DWORD), {}};
        std::memcpy(setting.Data, &state, sizeof state);
        EXPECT_EQ(SendMessageA(window, WM_POWERBROADCAST, event, reinterpret_cast<LPARAM>(&setting)), TRUE);
        EXPECT_EQ(displayOff, off) << state;
        EXPECT_EQ(removed(WM_CLOSE), 0);
    }
    displayOff = false;
}

// A change of monitors is no input: full screen, WM_DISPLAYCHANGE has the frame loop follow the monitors and
// the threshold measured from where the system left the cursor.
TEST_F(SaverWindowProcTest, DisplayChangeIsNoInput) {
    for (const SaverMode mode : {SaverMode::FullScreen, SaverMode::Preview}) {
        create(mode, 100, 100);
        monitorsChanged = false;
        SetCursorPos(700, 300);
        SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 720));
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(700, 300));
        const bool full = mode == SaverMode::FullScreen;
        EXPECT_TRUE(monitorsChanged == full && settings.startCursor.x == (full ? 700 : 100) &&
                    settings.closeRequested == 0 && removed(WM_CLOSE) == 0);
    }
    monitorsChanged = false;
}

} // namespace
