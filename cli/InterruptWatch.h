#pragma once
// Ctrl-C, SIGTERM and SIGHUP while a transfer runs (on Windows Ctrl-C, Ctrl-Break and the
// closing of the console): each one calls onInterrupt with the number of such interrupts so
// far. None ends the program by itself: the transfer decides how it stops, so that a
// download can still tell the device.
//
// BlockInterrupts() must run before any thread starts, so that every thread leaves these
// interrupts to the watch; one that comes before the watch waits for it.

#include <atomic>
#include <functional>
#include <thread>

void BlockInterrupts();

class CInterruptWatch {
public:
    explicit CInterruptWatch(std::function<void(int count)> onInterrupt);
    ~CInterruptWatch();
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

    int Interrupts() const { return m_interrupts.load(); }
    // One more interrupt, from the system's side of the watch.
    void Deliver() { m_onInterrupt(++m_interrupts); }

private:
    std::function<void(int)> m_onInterrupt;
    std::atomic<int> m_interrupts{0};
    std::thread m_thread; // waits for the signals; Windows calls in on threads of its own
};
