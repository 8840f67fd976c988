#include "support/HeadlessFrontEnd.h"

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

namespace {
// A loop waiting for a condition set outside a queued call still notices it.
constexpr auto RECHECK_INTERVAL = std::chrono::milliseconds(50);
} // namespace

CHeadlessFrontEnd::CHeadlessFrontEnd() : m_uiThread(std::this_thread::get_id()) {}

CHeadlessFrontEnd::~CHeadlessFrontEnd() = default;

bool CHeadlessFrontEnd::IsUiThread() const {
    return std::this_thread::get_id() == m_uiThread;
}

LRESULT CHeadlessFrontEnd::Send(const std::function<LRESULT()>& call) {
    if (IsUiThread())
        return call();
    // The queued call shares the task, so that the task outlives the asker's wait whichever
    // thread lets go of it last; an exception reaches the asker through the future.
    const auto task = std::make_shared<std::packaged_task<LRESULT()>>(call);
    std::future<LRESULT> result = task->get_future();
    Post([task] { (*task)(); });
    return result.get();
}

void CHeadlessFrontEnd::Post(std::function<void()> call) {
    // Notify under the lock: once it is released the poster touches this object no more.
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(call));
    m_wake.notify_one();
}

void CHeadlessFrontEnd::RunUntil(const std::function<bool()>& done) {
    if (!IsUiThread())
        throw std::logic_error("RunUntil called off the interface thread");
    while (!done()) {
        std::function<void()> call;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait_for(lock, RECHECK_INTERVAL, [this] { return !m_queue.empty(); }))
                continue;
            call = std::move(m_queue.front());
            m_queue.pop_front();
        }
        call();
    }
}

void CHeadlessFrontEnd::OnControlChanged(CWnd&, UiChange) {}

int CHeadlessFrontEnd::MessageBox(const char*, UINT type, UINT, const char*) {
    return EscapeAnswer(type);
}

INT_PTR CHeadlessFrontEnd::ChooseFile(const CFileRequest&, CString&) {
    return IDCANCEL;
}
