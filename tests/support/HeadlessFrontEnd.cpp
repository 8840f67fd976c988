#include "support/HeadlessFrontEnd.h"

#include <chrono>
#include <exception>
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
    struct Reply {
        std::mutex mutex;
        std::condition_variable ready;
        bool done = false;
        LRESULT value = 0;
        std::exception_ptr error;
    } reply;
    Post([&] {
        LRESULT value = 0;
        std::exception_ptr error;
        try {
            value = call();
        } catch (...) {
            error = std::current_exception();
        }
        // The exception is handed over whole, so that only the asking thread still holds it;
        // the notify is under the lock, since the reply goes away once the asker has it.
        std::lock_guard lock(reply.mutex);
        reply.value = value;
        reply.error = std::move(error);
        reply.done = true;
        reply.ready.notify_one();
    });
    std::unique_lock lock(reply.mutex);
    reply.ready.wait(lock, [&] { return reply.done; });
    if (reply.error)
        std::rethrow_exception(reply.error);
    return reply.value;
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
