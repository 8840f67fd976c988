#pragma once
// Worker threads. A thread object deletes itself when its procedure returns. The layer
// counts running workers so that a dialog can wait for them before it goes away.

#include "platform/Object.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using AFX_THREADPROC = UINT (*)(LPVOID);
constexpr int THREAD_PRIORITY_NORMAL = 0;

class CWinThread : public CObject {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}

    BOOL m_bAutoDelete = TRUE;
    std::thread::id m_nThreadID;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, void*);
    void Run();

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts proc(param) at once on a thread of its own. Priority, stack size, flags and
// security are accepted and ignored. When proc returns, the front end's OnWorkerEnded gets
// its exit code, then the count of workers drops (on the interface thread).
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, void* lpSecurityAttrs = nullptr);

// Workers started by AfxBeginThread that have not yet ended.
int AfxGetWorkerCount();
// Waits until no worker runs. On the interface thread it keeps handling the front end's
// queue while it waits (workers' control changes still go through); elsewhere it blocks.
void AfxWaitForWorkers();
// Blocks until every worker's procedure has returned, handling nothing: for an interface
// thread that the program ends on, once the front end no longer makes workers wait for it.
void AfxWaitForWorkerProcedures();

// One worker of an owner (a dialog) that has to know whether its worker still runs and wait
// for it before it goes away: one procedure at a time, running until the interface thread
// has seen it return.
class CWorker {
public:
    CWorker() = default;
    ~CWorker() { Wait(); }
    CWorker(const CWorker&) = delete;
    CWorker& operator=(const CWorker&) = delete;

    // Starts proc(param) with AfxBeginThread; false, starting nothing, while one runs.
    // Interface thread.
    bool Start(AFX_THREADPROC proc, LPVOID param);
    bool IsRunning() const { return m_running; }
    // Until the worker has ended; on the interface thread its queue is handled meanwhile.
    void Wait();

private:
    static UINT Run(LPVOID worker);
    void Ended();

    AFX_THREADPROC m_proc = nullptr;
    LPVOID m_param = nullptr;
    std::atomic<bool> m_running{false};
    std::mutex m_mutex;
    std::condition_variable m_ended;
};
