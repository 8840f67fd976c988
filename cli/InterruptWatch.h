#pragma once
// Ctrl-C while a transfer runs: the first one calls onInterrupt (on the watching thread),
// the second ends the program at once with EXIT_INTERRUPTED.
//
// BlockInterrupts() must run in main before any thread starts, so that every thread
// leaves SIGINT to the watcher.

#include <functional>
#include <pthread.h>
#include <thread>

void BlockInterrupts();

class CInterruptWatch {
public:
    explicit CInterruptWatch(std::function<void()> onInterrupt);
    ~CInterruptWatch();
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

private:
    void Watch();

    std::function<void()> m_onInterrupt;
    std::thread m_thread;
};
