#include "host/linux/stop_signals.h"
#include "host/common/close_rules.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr long kGraceNanoseconds = 300L * 1000000L;

volatile std::sig_atomic_t gStopSignal = 0;
volatile std::sig_atomic_t gLoopRunning = 0;
volatile std::sig_atomic_t gContinued = 0;

// The idle watcher's notices: the latest one's tick, and whether it still
// waits for its verdict. The handler lowers the flag while it writes the tick.
volatile std::sig_atomic_t gNoticePending = 0;
volatile uint32_t gNoticeTick = 0;
bool gSawInput = false;
uint32_t gLastInputTick = 0;
// A byte per notice, so that a wait that began just before one ends.
int gNoticePipe[2] = {-1, -1};

// Written to once by the first stop signal and never read: its read end
// stays readable, so every later wait ends at once.
int gWakePipe[2] = {-1, -1};

// SIGALRM after the grace; alarm(1) where no timer could be made.
timer_t gGraceTimer{};
bool gHaveGraceTimer = false;

void endNow(int) {
    _exit(0);
}

void onStopSignal(int) {
    if (gLoopRunning == 0)
        _exit(0);
    if (gStopSignal != 0)
        return;
    gStopSignal = 1;
    const int savedErrno = errno;
    (void)!write(gWakePipe[1], "", 1);
    if (gHaveGraceTimer) {
        itimerspec grace{};
        grace.it_value.tv_nsec = kGraceNanoseconds;
        timer_settime(gGraceTimer, 0, &grace, nullptr);
    } else {
        alarm(1);
    }
    errno = savedErrno;
}

void onInputNotice(int) {
    const int savedErrno = errno;
    gNoticePending = 0;
    gNoticeTick = tickCount(); // clock_gettime is async-signal-safe
    gNoticePending = 1;
    (void)!write(gNoticePipe[1], "", 1);
    errno = savedErrno;
}

void onContinue(int) {
    gContinued = 1;
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

} // namespace

void catchStopSignals() {
    if (pipe2(gWakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        gWakePipe[0] = gWakePipe[1] = -1;
    if (pipe2(gNoticePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        gNoticePipe[0] = gNoticePipe[1] = -1;
    gHaveGraceTimer = timer_create(CLOCK_MONOTONIC, nullptr, &gGraceTimer) == 0;
    handle(SIGALRM, endNow);
    handle(SIGTERM, onStopSignal);
    handle(SIGINT, onStopSignal);
    handle(SIGCONT, onContinue);
    // Its default would end the process: a notice before the loop runs is
    // judged once it does.
    handle(SIGUSR1, onInputNotice);
    // A signal mask survives exec: a program started with these blocked
    // would never stop. One already sent is taken here.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGUSR1);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
}

void stopSignalsToLoop() {
    gLoopRunning = 1;
}

bool stopSignalled() {
    return gStopSignal != 0;
}

bool takeContinued() {
    if (gContinued == 0)
        return false;
    gContinued = 0;
    return true;
}

void noteInput(uint32_t tick) {
    gSawInput = true;
    gLastInputTick = tick;
}

bool inputWentElsewhere() {
    if (gNoticePending == 0)
        return false; // the frame loop's usual case: no clock read
    const uint32_t notice = gNoticeTick;
    switch (judgeInputNotice(notice, gSawInput, gLastInputTick, tickCount())) {
    case InputNoticeVerdict::Wait:
        return false;
    case InputNoticeVerdict::Stay:
        // A newer notice that came meanwhile keeps waiting for its own verdict.
        if (gNoticeTick == notice)
            gNoticePending = 0;
        return false;
    case InputNoticeVerdict::End:
        break;
    }
    return true;
}

short waitForInput(int fd, int32_t milliseconds) {
    if (gNoticePending != 0) {
        // Woken for the verdict: a millisecond past the window, the notice is judged.
        const uint32_t waited = tickCount() - gNoticeTick;
        const int32_t left =
            waited > kInputNoticeWindowMs ? 0 : static_cast<int32_t>(kInputNoticeWindowMs - waited) + 1;
        milliseconds = std::min(milliseconds, left);
    }
    pollfd watched[3] = {{fd, POLLIN, 0}, {gWakePipe[0], POLLIN, 0}, {gNoticePipe[0], POLLIN, 0}};
    // The pipe readable, or EINTR: a stop signal came, and the caller looks at
    // stopSignalled(); a notice's byte is taken, and the caller judges it.
    const int ready = poll(watched, 3, milliseconds < 0 ? 0 : milliseconds);
    if ((watched[2].revents & POLLIN) != 0) {
        char bytes[16];
        while (read(gNoticePipe[0], bytes, sizeof bytes) > 0) {
        }
    }
    return ready <= 0 ? 0 : watched[0].revents;
}

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
