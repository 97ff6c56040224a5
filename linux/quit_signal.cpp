// Quit signals, blocked but for the waits.
#include "linux/quit_signal.h"

#include <ctime>
#include <initializer_list>

volatile sig_atomic_t quitSignal = 0;

namespace {

sigset_t waitMask;  // the mask at start: what ppoll lets through

void OnQuitSignal(int)
{
    quitSignal = 1;
}

}  // namespace

void CatchQuitSignals()
{
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigset_t block;
    sigemptyset(&block);
    for (int signal : {SIGTERM, SIGINT}) {
        struct sigaction old {};
        sigaction(signal, nullptr, &old);
        if (signal == SIGINT && old.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
        sigaddset(&block, signal);
    }
    sigprocmask(SIG_BLOCK, &block, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
}

void WaitUnblocked(pollfd* fds, nfds_t count, double seconds)
{
    if (seconds < 0.0)
        seconds = 0.0;
    const long whole = static_cast<long>(seconds);
    const timespec timeout = {whole, static_cast<long>((seconds - static_cast<double>(whole)) * 1e9)};
    ppoll(fds, count, &timeout, &waitMask);
}
