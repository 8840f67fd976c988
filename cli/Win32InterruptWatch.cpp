#include "cli/InterruptWatch.h"

#include "cli/OrxTransfer.h"

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

// Runs on a thread the system starts for each console event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    std::unique_lock lock(g_mutex);
    if (g_watch == nullptr)
        EndInterrupted();
    g_watch->Deliver();
    // After a close, log-off or shut-down the process ends once this returns.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        g_watchEnded.wait_for(lock, CLOSING_WAIT, [] { return g_watch == nullptr; });
    return TRUE;
}

} // namespace

// Windows has no SIGPIPE: a write to a closed pipe fails by itself.
void WatchInterrupts() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void EndInterrupted() {
    ExitProcess(EXIT_INTERRUPTED);
}

CInterruptWatch::CInterruptWatch(std::function<void(int)> onInterrupt)
    : m_onInterrupt(std::move(onInterrupt)) {
    std::lock_guard lock(g_mutex);
    g_watch = this;
}

CInterruptWatch::~CInterruptWatch() {
    {
        std::lock_guard lock(g_mutex);
        g_watch = nullptr;
    }
    g_watchEnded.notify_all();
}
