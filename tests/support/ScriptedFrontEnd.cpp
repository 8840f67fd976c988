#include "support/ScriptedFrontEnd.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/ProgressCtrl.h"

// Records e and takes out the first action scripted for it, all under the lock.
template <class Action>
Action CScriptedFrontEnd::Take(std::vector<Scripted<Action>>& all, const CUiEvent& e) {
    std::lock_guard lock(m_mutex);
    m_events.push_back(e);
    const bool dialog = e.kind == CUiEvent::DialogShown;
    const auto found = std::find_if(all.begin(), all.end(), [&](const Scripted<Action>& s) {
        return dialog ? s.key == e.value
                      : e.kind == CUiEvent::Text && s.key == e.id && s.text == e.text;
    });
    if (found == all.end())
        return {};
    Action action = std::move(found->action);
    all.erase(found);
    return action;
}

void CScriptedFrontEnd::OnDialogShow(CDialog& dlg) {
    const CUiEvent e{.kind = CUiEvent::DialogShown,
                     .text = dlg.GetWindowText(),
                     .value = static_cast<int>(dlg.GetTemplateID())};
    if (const auto action = Take(m_dialogActions, e))
        action(dlg);
}

void CScriptedFrontEnd::OnControlChanged(CWnd& wnd, UiChange change) {
    const int id = wnd.GetDlgCtrlID();
    auto* progress = dynamic_cast<CProgressCtrl*>(&wnd);
    CUiEvent e{.kind = CUiEvent::Text, .id = id};
    if (change == UiChange::Enabled)
        e = {.kind = CUiEvent::Enabled, .id = id, .value = wnd.IsWindowEnabled() ? 1 : 0};
    else if (change == UiChange::Text)
        e.text = wnd.GetWindowText();
    else if (change == UiChange::ProgressPos && progress)
        e = {.kind = CUiEvent::ProgressPos, .id = id, .value = progress->GetPos()};
    else if (change == UiChange::ProgressRange && progress) {
        e.kind = CUiEvent::ProgressRange;
        progress->GetRange(e.value, e.value2);
    } else {
        return; // a change no test looks at
    }
    if (const auto action = Take(m_textActions, e))
        action();
}

int CScriptedFrontEnd::MessageBox(const char* text, UINT type, UINT, const char* detail) {
    std::lock_guard lock(m_mutex);
    m_events.push_back({CUiEvent::MessageBox, 0, CString(text), static_cast<int>(type), 0,
                        CString(detail ? detail : "")});
    int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    if (!m_boxAnswers.empty()) {
        answer = m_boxAnswers.front();
        m_boxAnswers.pop_front();
    }
    return answer;
}

INT_PTR CScriptedFrontEnd::ChooseFile(const CFileRequest& request, CString& path) {
    std::lock_guard lock(m_mutex);
    m_fileRequests.push_back(request);
    std::pair<INT_PTR, CString> answer{IDCANCEL, CString()};
    if (!m_fileAnswers.empty()) {
        answer = m_fileAnswers.front();
        m_fileAnswers.pop_front();
    }
    path = answer.second;
    return answer.first;
}
