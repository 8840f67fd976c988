#include "support/ScriptedFrontEnd.h"

#include "platform/ui/ProgressCtrl.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <stdexcept>

namespace {
// A loop waiting for a condition set outside a queued call still notices it.
constexpr auto RECHECK_INTERVAL = std::chrono::milliseconds(50);
} // namespace

LRESULT CScriptedFrontEnd::Send(const std::function<LRESULT()>& call) {
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

void CScriptedFrontEnd::Post(std::function<void()> call) {
    // Notify under the lock: once it is released the poster touches this object no more.
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(call));
    m_wake.notify_one();
}

void CScriptedFrontEnd::RunUntil(const std::function<bool()>& done) {
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

std::vector<CUiEvent> CScriptedFrontEnd::Events(CUiEvent::Kind kind) const {
    std::vector<CUiEvent> selected = Copy(m_events);
    std::erase_if(selected, [kind](const CUiEvent& e) { return e.kind != kind; });
    return selected;
}

std::vector<CString> CScriptedFrontEnd::Texts(int id) const {
    std::vector<CString> texts;
    for (const CUiEvent& e : Events(CUiEvent::Text))
        if (e.id == id)
            texts.push_back(e.text);
    return texts;
}

std::vector<UINT> CScriptedFrontEnd::ExitCodes() const {
    std::vector<UINT> codes;
    for (const CUiEvent& e : Events(CUiEvent::WorkerEnded))
        codes.push_back(static_cast<UINT>(e.value));
    return codes;
}

// The change is recorded and its scripted action taken out under the lock, then run.
void CScriptedFrontEnd::OnControlChanged(CWnd& wnd, UiChange change) {
    const auto* progress = dynamic_cast<const CProgressCtrl*>(&wnd);
    CUiEvent e{CUiEvent::Text, wnd.GetDlgCtrlID(), wnd.GetWindowText(),
               wnd.IsWindowEnabled() ? 1 : 0};
    if (change == UiChange::Enabled)
        e.kind = CUiEvent::Enabled;
    else if (progress && change == UiChange::ProgressPos)
        e = {CUiEvent::ProgressPos, e.id, {}, progress->GetPos()};
    else if (progress && change == UiChange::ProgressRange) {
        e.kind = CUiEvent::ProgressRange;
        progress->GetRange(e.value, e.value2);
    } else if (change != UiChange::Text)
        return; // a change no test looks at
    std::unique_lock lock(m_mutex);
    m_events.push_back(e);
    const auto found = std::find_if(m_textActions.begin(), m_textActions.end(), [&](auto& a) {
        return e.kind == CUiEvent::Text && a.first.id == e.id && a.first.text == e.text;
    });
    if (found == m_textActions.end())
        return;
    const auto action = std::move(found->second);
    m_textActions.erase(found);
    lock.unlock();
    action();
}

int CScriptedFrontEnd::MessageBox(const char* text, UINT type, UINT, const char* detail) {
    std::lock_guard lock(m_mutex);
    m_events.push_back({CUiEvent::MessageBox, 0, text, int(type), 0, detail ? detail : ""});
    if (m_boxAnswers.empty())
        return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    const int answer = m_boxAnswers.front();
    m_boxAnswers.pop_front();
    return answer;
}

INT_PTR CScriptedFrontEnd::ChooseFile(const CFileRequest& request, CString& path) {
    std::lock_guard lock(m_mutex);
    m_fileRequests.push_back(request);
    if (m_fileAnswers.empty())
        return IDCANCEL;
    const auto [answer, chosen] = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    path = chosen;
    return answer;
}
