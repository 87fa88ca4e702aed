// The stop signals and the waits of the Linux frame loops. SIGTERM is how
// xscreensaver and swayidle end their programs, SIGINT how a terminal does;
// either ends the saver with status 0 whenever it comes.
#pragma once
#include <cstdint>

// Installs the handlers, once per process and before any start-up work (main
// calls it first: the Wayland host and the X11 one it may fall back to share
// one wake pipe and one timer). Until stopSignalsToLoop, a stop signal ends the
// process at once with status 0: the set-up waits on the display server in
// places no flag can reach (the first round trip, EGL or GLX, the map), and
// the server drops all a client made (windows, surfaces, grabs) when its
// connection closes.
void catchStopSignals();

// From here on a stop signal asks the frame loop to end: stopSignalled turns
// true and every waitForInput returns at once, whichever thread took the
// signal and whenever it came. Should the run be held up on the way out (a
// stopped or hung server blocks a swap or the teardown), the process still
// ends, with status 0, 0.3 s after the signal.
void stopSignalsToLoop();

// True once SIGTERM or SIGINT has come.
bool stopSignalled();

// True when SIGCONT has come since the last call: the process was stopped
// (SIGSTOP, as MATE's and Xfce's savers pause theirs) and runs again, and
// the frame loop holds its scenes' clocks over the pause.
bool takeContinued();

// SIGUSR1 is the idle watcher's notice that the session saw input while its
// saver runs (judgeInputNotice in host/common decides what follows). The
// frame loops tell of the input they see themselves with noteInput; any
// key, button or pointer motion counts, one within the threshold too.
void noteInput(uint32_t tick);
// True once a notice has come and no input of the saver's own came near it:
// the input went elsewhere, and the run ends with status 0 as on a stop signal.
bool inputWentElsewhere();

// Waits up to milliseconds for fd to become readable or to fail, or for a
// stop signal; while a notice waits for its verdict, no longer than that. Returns the poll events of fd (0
// after a timeout or a signal).
short waitForInput(int fd, int32_t milliseconds);

// Milliseconds of a monotonic clock, wrapping at 32 bits like the tick count.
uint32_t tickCount();
