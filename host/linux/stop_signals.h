// The stop signals and the waits of the Linux frame loops. SIGTERM is how
// xscreensaver and swayidle end their programs, SIGINT how a terminal does;
// both end a run cleanly with status 0.
#pragma once
#include <cstdint>

// Installs the handlers and blocks both signals everywhere except inside
// waitForInput, so that one that comes while a frame is drawn is taken by the
// next wait at once and cannot slip in between the last check and the wait.
// Call before any thread starts (the GL driver's threads inherit the block).
void catchStopSignals();

// True once SIGTERM or SIGINT has come.
bool stopSignalled();

// Waits up to milliseconds for fd to become readable or to fail, or for a
// stop signal. Returns the poll events of fd (0 after a timeout or a signal).
short waitForInput(int fd, int32_t milliseconds);

// Milliseconds of a monotonic clock, wrapping at 32 bits like the tick count.
uint32_t tickCount();
