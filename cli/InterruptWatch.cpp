#include "cli/InterruptWatch.h"

#include "cli/CliCommand.h"

#include <csignal>
#include <unistd.h>

namespace {

// SIGUSR1 only tells the watcher to stop.
sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGUSR1);
    return set;
}

} // namespace

void BlockInterrupts() {
    const sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

CInterruptWatch::CInterruptWatch(std::function<void()> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)), m_thread([this] { Watch(); }) {}

CInterruptWatch::~CInterruptWatch() {
    pthread_kill(m_thread.native_handle(), SIGUSR1);
    m_thread.join();
}

void CInterruptWatch::Watch() {
    const sigset_t set = WatchedSignals();
    int interrupts = 0;
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0 || signal == SIGUSR1)
            return;
        if (++interrupts > 1)
            _exit(EXIT_INTERRUPTED);
        m_onInterrupt();
    }
}
