#include "host/linux/stop_signals.h"

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
    gHaveGraceTimer = timer_create(CLOCK_MONOTONIC, nullptr, &gGraceTimer) == 0;
    handle(SIGALRM, endNow);
    handle(SIGTERM, onStopSignal);
    handle(SIGINT, onStopSignal);
    handle(SIGCONT, onContinue);
    // A signal mask survives exec: a program started with these blocked
    // would never stop. One already sent is taken here.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
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

short waitForInput(int fd, int32_t milliseconds) {
    pollfd watched[2] = {{fd, POLLIN, 0}, {gWakePipe[0], POLLIN, 0}};
    // The pipe readable, or EINTR: a stop signal came, and the caller looks at
    // stopSignalled().
    if (poll(watched, 2, milliseconds < 0 ? 0 : milliseconds) <= 0)
        return 0;
    return watched[0].revents;
}

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
