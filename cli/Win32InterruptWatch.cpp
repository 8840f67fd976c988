#include "cli/InterruptWatch.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// The system ends the process 5 s after the console is closed; the transfer gets most of them.
constexpr auto CLOSING_WAIT = std::chrono::milliseconds(4500);

std::mutex g_mutex;
std::condition_variable g_watchEnded;
CInterruptWatch* g_watch = nullptr;
int g_pending = 0; // interrupts before the watch, delivered when it starts

// Runs on a thread the system starts for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    std::unique_lock lock(g_mutex);
    if (g_watch != nullptr)
        g_watch->Deliver();
    else
        ++g_pending;
    // After a close, log-off or shut-down the process ends once this returns.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        g_watchEnded.wait_for(lock, CLOSING_WAIT, [] { return g_watch == nullptr; });
    return TRUE;
}

} // namespace

void BlockInterrupts() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

CInterruptWatch::CInterruptWatch(std::function<void(int)> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)) {
    std::lock_guard lock(g_mutex);
    g_watch = this;
    for (; g_pending > 0; --g_pending)
        Deliver();
}

CInterruptWatch::~CInterruptWatch() {
    {
        std::lock_guard lock(g_mutex);
        g_watch = nullptr;
    }
    g_watchEnded.notify_all();
}
