#pragma once
// Ctrl-C, SIGTERM and SIGHUP while a transfer runs: each one calls onInterrupt (on the
// watching thread) with the number of such signals so far. None ends the program by itself:
// the transfer decides how it stops, so that a download can still tell the device.
//
// BlockInterrupts() must run before any thread starts, so that every thread leaves these
// signals to the watcher; one that comes before the watcher waits for it.

#include <atomic>
#include <csignal>
#include <functional>
#include <pthread.h>
#include <thread>

// SIGINT, SIGTERM and SIGHUP.
sigset_t InterruptSignals();
void BlockInterrupts();

class CInterruptWatch {
public:
    explicit CInterruptWatch(std::function<void(int count)> onInterrupt);
    ~CInterruptWatch();
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

    int Interrupts() const { return m_interrupts.load(); }

private:
    void Watch();

    std::function<void(int)> m_onInterrupt;
    std::atomic<int> m_interrupts{0};
    std::thread m_thread;
};
