#include "cli/InterruptWatch.h"

#include <csignal>
#include <pthread.h>

namespace {

// SIGINT, SIGTERM and SIGHUP, and SIGUSR1, which only tells the watcher to stop.
sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaddset(&set, signal);
    return set;
}

void Watch(CInterruptWatch& watch) {
    const sigset_t set = WatchedSignals();
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0 || signal == SIGUSR1)
            return;
        watch.Deliver();
    }
}

} // namespace

void BlockInterrupts() {
    const sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

CInterruptWatch::CInterruptWatch(std::function<void(int)> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)), m_thread([this] { Watch(*this); }) {}

CInterruptWatch::~CInterruptWatch() {
    pthread_kill(m_thread.native_handle(), SIGUSR1);
    m_thread.join();
}
