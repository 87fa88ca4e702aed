#include "host/linux/stop_signals.h"

#include <csignal>
#include <ctime>
#include <poll.h>

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

void onStopSignal(int) {
    gStopSignal = 1;
}

// The signal mask while a loop waits: the stop signals let through.
sigset_t gWaitMask;

} // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigprocmask(SIG_BLOCK, &stops, &gWaitMask);
    sigdelset(&gWaitMask, SIGTERM);
    sigdelset(&gWaitMask, SIGINT);
}

bool stopSignalled() {
    return gStopSignal != 0;
}

short waitForInput(int fd, int32_t milliseconds) {
    if (milliseconds < 0)
        milliseconds = 0;
    const timespec timeout{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    pollfd watched{fd, POLLIN, 0};
    // EINTR: a stop signal came, and the caller looks at stopSignalled().
    if (ppoll(&watched, 1, &timeout, &gWaitMask) <= 0)
        return 0;
    return watched.revents;
}

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
