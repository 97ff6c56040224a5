// The hack's end by signal: SIGTERM (xscreensaver's way to stop a hack) and
// SIGINT set `quitSignal`. Both stay blocked except inside WaitUnblocked, so
// a signal can never slip in between the flag's check and a wait, to be
// noticed only when a long -delay has passed.
#pragma once

#include <poll.h>

#include <csignal>

extern volatile sig_atomic_t quitSignal;

// Catches SIGTERM, and SIGINT unless it was ignored at start (a background
// job's), and blocks them; threads made later inherit the block.
void CatchQuitSignals();

// poll() on `fds` for at most `seconds` with the quit signals let through;
// a signal ends it early. `count` may be 0 (a plain, interruptible sleep).
void WaitUnblocked(pollfd* fds, nfds_t count, double seconds);
