#include "support/ScriptedFrontEnd.h"

#include "platform/ui/ProgressCtrl.h"

#include <algorithm>

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
