#include "cli/InterruptWatch.h"

#include "cli/OrxTransfer.h"

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace {

std::mutex g_mutex;
CInterruptWatch* g_watch = nullptr;

sigset_t InterruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

[[noreturn]] void Watch() {
    const sigset_t set = InterruptSignals();
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0)
            continue;
        std::lock_guard lock(g_mutex);
        if (g_watch == nullptr)
            EndInterrupted();
        g_watch->Deliver();
    }
}

} // namespace

void WatchInterrupts() {
    std::signal(SIGPIPE, SIG_IGN);
    const sigset_t set = InterruptSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(Watch).detach();
}

void EndInterrupted() {
    std::_Exit(EXIT_INTERRUPTED);
}

CInterruptWatch::CInterruptWatch(std::function<void(int)> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)) {
    std::lock_guard lock(g_mutex);
    g_watch = this;
}

CInterruptWatch::~CInterruptWatch() {
    std::lock_guard lock(g_mutex);
    g_watch = nullptr;
}
