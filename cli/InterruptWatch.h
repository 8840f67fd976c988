#pragma once
// Ctrl-C, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break and the closing of the console),
// watched from the start of main. While a CInterruptWatch lives, each one calls its
// onInterrupt with the number of such interrupts so far and none ends the program by itself:
// the transfer decides how it stops, so that a download can still tell the device. While
// none lives, nothing is under way that a stop must finish: the program ends at once with
// EXIT_INTERRUPTED, whatever it waits for (a host name, a file that never opens).
//
// WatchInterrupts() must run first in main, before any thread starts, so that every thread
// leaves these interrupts to the watch. It also keeps a closed pipe from ending the program:
// a write to it fails instead.

#include <atomic>
#include <functional>

void WatchInterrupts();
// Ends the program at once with EXIT_INTERRUPTED, from any thread.
[[noreturn]] void EndInterrupted();

// One at a time.
class CInterruptWatch {
public:
    explicit CInterruptWatch(std::function<void(int count)> onInterrupt);
    ~CInterruptWatch();
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

    int Interrupts() const { return m_interrupts.load(); }
    // One more interrupt, from the system's side of the watch, under its lock.
    void Deliver() { m_onInterrupt(++m_interrupts); }

private:
    std::function<void(int)> m_onInterrupt;
    std::atomic<int> m_interrupts{0};
};
