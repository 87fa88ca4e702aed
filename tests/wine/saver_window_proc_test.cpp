// The saver window's procedure on the real Win32 API: a real window, real
// sent and posted messages, the real cursor and tick count.
#include "host/win32/host_state.h"
#include "host/win32/saver_window_proc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Received {
    UINT message;
    WPARAM firstParameter;
    int32_t checkingPassword; // the flag as it stood when the message arrived
};

std::vector<Received> received;

// Sits in front of saverWindowProc and notes every message, including the
// ones that the default handling sends back to the window.
LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM firstParameter, LPARAM secondParameter) {
    received.push_back({message, firstParameter, saverSettings->checkingPassword});
    return saverWindowProc(window, message, firstParameter, secondParameter);
}

constexpr const char* kClassName = "ZellikProcTest";

class SaverWindowProcTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = recordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }

    void SetUp() override {
        settings = SaverSettings{};
        settings.passwordDelay = 15;
        settings.mouseThreshold = 50;
        settings.useMirrors = 1;
        saverSettings = &settings;
        saverMode = SaverMode::FullScreen;
        drainQueue();
    }

    void TearDown() override {
        if (window != nullptr && IsWindow(window))
            DestroyWindow(window);
        drainQueue();
        saverSettings = nullptr;
    }

    // Not shown, so that no activation changes arrive unasked.
    void createWindow(SaverMode mode) {
        saverMode = mode;
        window = CreateWindowExA(0, kClassName, "SaverWindow", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        // The rest of each test starts from a clean close state.
        settings.closeRequested = 0;
        settings.checkingPassword = 0;
        drainQueue();
        received.clear();
    }

    // Removes every posted WM_CLOSE for the window; returns how many there were.
    int takeCloses() {
        int count = 0;
        MSG message;
        while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
            ++count;
        return count;
    }

    static bool takeQuit() {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }

    static void drainQueue() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    static int countReceived(UINT message) {
        int count = 0;
        for (const Received& r : received)
            count += r.message == message ? 1 : 0;
        return count;
    }

    void moveCursorTo(int x, int y) {
        ASSERT_TRUE(SetCursorPos(x, y));
        POINT now{};
        ASSERT_TRUE(GetCursorPos(&now));
        ASSERT_EQ(now.x, x);
        ASSERT_EQ(now.y, y);
    }

    // A closing input's trace: the flag is set and one WM_CLOSE is waiting.
    void expectCloseRequested(const char* what) {
        EXPECT_EQ(settings.closeRequested, 1) << what;
        EXPECT_EQ(takeCloses(), 1) << what;
        settings.closeRequested = 0;
    }

    void expectNothingRequested(const char* what) {
        EXPECT_EQ(settings.closeRequested, 0) << what;
        EXPECT_EQ(takeCloses(), 0) << what;
    }

    SaverSettings settings{};
    HWND window = nullptr;
};

TEST_F(SaverWindowProcTest, CreationRecordsWindowCursorAndTick) {
    moveCursorTo(123, 234);
    const DWORD before = GetTickCount();
    createWindow(SaverMode::FullScreen);
    const DWORD after = GetTickCount();
    EXPECT_EQ(settings.window, window);
    EXPECT_EQ(settings.startCursor.x, 123);
    EXPECT_EQ(settings.startCursor.y, 234);
    EXPECT_LE(settings.startTick - before, after - before);
}

TEST_F(SaverWindowProcTest, KeysAndButtonsAskToClose) {
    createWindow(SaverMode::FullScreen);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    expectCloseRequested("WM_KEYDOWN");
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    expectCloseRequested("WM_LBUTTONDOWN");
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    expectCloseRequested("WM_RBUTTONDOWN");
    SendMessageA(window, WM_MBUTTONDOWN, MK_MBUTTON, 0);
    expectCloseRequested("WM_MBUTTONDOWN");
    // System keys and button releases are not closing inputs.
    SendMessageA(window, WM_SYSKEYDOWN, VK_MENU, 0);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
    SendMessageA(window, WM_KEYUP, 'A', 0);
    expectNothingRequested("WM_SYSKEYDOWN, WM_LBUTTONUP, WM_KEYUP");
    // Every request posts its own WM_CLOSE.
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(takeCloses(), 2);
    EXPECT_TRUE(IsWindow(window)); // asking is not closing
}

TEST_F(SaverWindowProcTest, DeactivationAsksToClose) {
    createWindow(SaverMode::FullScreen);
    // Being activated is no reason to close. (A WM_ACTIVATE WA_ACTIVE sent to
    // this hidden window would make the default handling really activate it,
    // with a real WM_NCACTIVATE FALSE on the way, so it is left out here.)
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    expectNothingRequested("WM_ACTIVATEAPP TRUE");
    SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
    expectNothingRequested("WM_NCACTIVATE TRUE");
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    expectCloseRequested("WM_ACTIVATE WA_INACTIVE");
    // The minimised flag sits in the high word; the low word still says inactive.
    SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
    expectCloseRequested("WM_ACTIVATE WA_INACTIVE, minimised");
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    expectCloseRequested("WM_ACTIVATEAPP FALSE");
    SendMessageA(window, WM_NCACTIVATE, FALSE, 0);
    expectCloseRequested("WM_NCACTIVATE FALSE");
}

TEST_F(SaverWindowProcTest, MouseThresholdExactlyAndOneMore) {
    createWindow(SaverMode::FullScreen);
    settings.startCursor = {400, 300};

    // The message's own coordinates do not count, only the cursor's.
    moveCursorTo(400, 300);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(1000, 700));
    expectNothingRequested("move message far away, cursor at the start");

    const struct {
        int x, y;
        bool closes;
    } moves[] = {
        {450, 300, false}, {451, 300, true},  {350, 300, false}, {349, 300, true},
        {400, 350, false}, {400, 351, true},  {400, 250, false}, {400, 249, true},
        {450, 350, false}, {350, 250, false}, {451, 351, true},
    };
    for (const auto& move : moves) {
        moveCursorTo(move.x, move.y);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(move.x, move.y));
        const std::string where = "cursor at " + std::to_string(move.x) + "," + std::to_string(move.y);
        if (move.closes)
            expectCloseRequested(where.c_str());
        else
            expectNothingRequested(where.c_str());
    }
}

TEST_F(SaverWindowProcTest, InputIgnoredWhileCheckingPassword) {
    createWindow(SaverMode::FullScreen);
    settings.startCursor = {100, 100};
    settings.checkingPassword = 1;
    moveCursorTo(400, 400);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageA(window, WM_MBUTTONDOWN, MK_MBUTTON, 0);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    expectNothingRequested("input while the prompt is up");
    // A close that input asked for earlier is not entered again meanwhile.
    settings.closeRequested = 1;
    settings.startTick = GetTickCount();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    // The prompt needs a visible cursor.
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(SaverWindowProcTest, CloseUnaskedIsIgnored) {
    createWindow(SaverMode::FullScreen);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(countReceived(WM_DESTROY), 0);
    EXPECT_FALSE(takeQuit());
}

TEST_F(SaverWindowProcTest, CloseWithinTheDelayAsksNoPassword) {
    createWindow(SaverMode::FullScreen);
    settings.startTick = GetTickCount();
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(takeCloses(), 1);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(countReceived(WM_DESTROY), 1);
    // No prompt went up: the cursor was never asked to change.
    EXPECT_EQ(countReceived(WM_SETCURSOR), 0);
    // The destruction ends the frame loop.
    EXPECT_TRUE(takeQuit());
}

TEST_F(SaverWindowProcTest, CloseAfterTheDelayGoesThroughThePasswordCheck) {
    createWindow(SaverMode::FullScreen);
    settings.startCursor = {10, 10};
    settings.startTick = GetTickCount() - 20000; // 20 s ago, delay 15 s
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ASSERT_EQ(takeCloses(), 1);
    moveCursorTo(500, 400);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    // The NT family (and Wine) accepts without a prompt, but the check still
    // runs: the cursor is shown, then hidden, and the reference point moves.
    std::vector<int32_t> flagsAtSetCursor;
    for (const Received& r : received)
        if (r.message == WM_SETCURSOR)
            flagsAtSetCursor.push_back(r.checkingPassword);
    EXPECT_EQ(flagsAtSetCursor, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(settings.checkingPassword, 0);
    EXPECT_EQ(settings.startCursor.x, 500);
    EXPECT_EQ(settings.startCursor.y, 400);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(takeQuit());
}

TEST_F(SaverWindowProcTest, ZeroDelayChecksThePasswordAfterTheFirstMillisecond) {
    createWindow(SaverMode::FullScreen);
    settings.passwordDelay = 0;
    settings.startTick = GetTickCount() - 2;
    settings.closeRequested = 1;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(countReceived(WM_SETCURSOR), 2);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(SaverWindowProcTest, SysCloseSwallowedButNotWithLowBitsSet) {
    createWindow(SaverMode::FullScreen);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    // Swallowed: the default handling would have sent a WM_CLOSE.
    EXPECT_EQ(countReceived(WM_CLOSE), 0);
    // With a low bit set the command goes on to the default handling, which
    // turns it into a WM_CLOSE; no input asked for that, so the saver stays.
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE | 1, 0);
    EXPECT_EQ(countReceived(WM_CLOSE), 1);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(SaverWindowProcTest, CursorHiddenOnlyWhileWatchingInput) {
    createWindow(SaverMode::FullScreen);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), nullptr);
    settings.checkingPassword = 1;
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(SaverWindowProcTest, PreviewPassesEverythingOn) {
    createWindow(SaverMode::Preview);
    settings.startCursor = {100, 100};
    moveCursorTo(600, 500);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageA(window, WM_MBUTTONDOWN, MK_MBUTTON, 0);
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    SendMessageA(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageA(window, WM_NCACTIVATE, FALSE, 0);
    expectNothingRequested("input in preview");
    SetCursor(nullptr);
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    // SC_CLOSE goes to the default handling, whose WM_CLOSE destroys the
    // window at once: a preview's parent decides when it ends.
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(countReceived(WM_CLOSE), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(takeQuit());
}

TEST_F(SaverWindowProcTest, PreviewCloseDestroysAtOnce) {
    createWindow(SaverMode::Preview);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(countReceived(WM_DESTROY), 1);
    EXPECT_TRUE(takeQuit());
}

} // namespace
