#include "cli/InterruptWatch.h"

#include <unistd.h>

namespace {

// SIGUSR1 only tells the watcher to stop.
sigset_t WatchedSignals() {
    sigset_t set = InterruptSignals();
    sigaddset(&set, SIGUSR1);
    return set;
}

} // namespace

sigset_t InterruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

void BlockInterrupts() {
    const sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

CInterruptWatch::CInterruptWatch(std::function<void(int)> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)), m_thread([this] { Watch(); }) {}

CInterruptWatch::~CInterruptWatch() {
    pthread_kill(m_thread.native_handle(), SIGUSR1);
    m_thread.join();
}

void CInterruptWatch::Watch() {
    const sigset_t set = WatchedSignals();
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0 || signal == SIGUSR1)
            return;
        m_onInterrupt(++m_interrupts);
    }
}
