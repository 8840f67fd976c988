#include "platform/ui/Thread.h"

#include "platform/ui/FrontEnd.h"

#include <condition_variable>
#include <mutex>

IMPLEMENT_DYNAMIC(CWinThread, CObject)

namespace {

std::mutex g_workerMutex;
std::condition_variable g_workersDone;
int g_workerCount = 0;
int g_proceduresRunning = 0;

void ProcedureReturned() {
    std::lock_guard lock(g_workerMutex);
    --g_proceduresRunning;
    g_workersDone.notify_all();
}

// Runs on the interface thread, so a modal loop sees the count drop between its calls.
void WorkerEnded() {
    std::lock_guard lock(g_workerMutex);
    --g_workerCount;
    g_workersDone.notify_all();
}

} // namespace

void CWinThread::Run() {
    m_nThreadID = std::this_thread::get_id();
    const UINT exitCode = m_pfnThreadProc(m_pThreadParams);
    ProcedureReturned();
    CFrontEnd& frontEnd = AfxGetFrontEnd();
    frontEnd.OnWorkerEnded(exitCode);
    if (m_bAutoDelete)
        delete this;
    // The last touch of the front end: once the count is zero it may go away.
    frontEnd.Post(WorkerEnded);
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int /*nPriority*/,
                           UINT /*nStackSize*/, DWORD /*dwCreateFlags*/,
                           void* /*lpSecurityAttrs*/) {
    auto* thread = new CWinThread(proc, param);
    {
        std::lock_guard lock(g_workerMutex);
        ++g_workerCount;
        ++g_proceduresRunning;
    }
    std::thread([thread] { thread->Run(); }).detach();
    return thread;
}

int AfxGetWorkerCount() {
    std::lock_guard lock(g_workerMutex);
    return g_workerCount;
}

void AfxWaitForWorkers() {
    CFrontEnd& frontEnd = AfxGetFrontEnd();
    if (frontEnd.IsUiThread()) {
        frontEnd.RunUntil([] { return AfxGetWorkerCount() == 0; });
        return;
    }
    std::unique_lock lock(g_workerMutex);
    g_workersDone.wait(lock, [] { return g_workerCount == 0; });
}

void AfxWaitForWorkerProcedures() {
    std::unique_lock lock(g_workerMutex);
    g_workersDone.wait(lock, [] { return g_proceduresRunning == 0; });
}

bool CWorker::Start(AFX_THREADPROC proc, LPVOID param) {
    if (m_running)
        return false;
    m_proc = proc;
    m_param = param;
    m_running = true;
    AfxBeginThread(Run, this);
    return true;
}

UINT CWorker::Run(LPVOID worker) {
    auto& self = *static_cast<CWorker*>(worker);
    const UINT exitCode = self.m_proc(self.m_param);
    // On the interface thread, so that a modal loop sees the worker end between its calls.
    AfxGetFrontEnd().Post([&self] { self.Ended(); });
    return exitCode;
}

void CWorker::Ended() {
    std::lock_guard lock(m_mutex);
    m_running = false;
    m_ended.notify_all();
}

void CWorker::Wait() {
    CFrontEnd& frontEnd = AfxGetFrontEnd();
    if (frontEnd.IsUiThread()) {
        frontEnd.RunUntil([this] { return !m_running; });
        return;
    }
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return !m_running; });
}
