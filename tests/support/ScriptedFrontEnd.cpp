#include "support/ScriptedFrontEnd.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/ProgressCtrl.h"

#include <algorithm>
#include <iterator>

namespace {

CUiEvent DescribeChange(CWnd& wnd, UiChange change) {
    CUiEvent event{CUiEvent::Other, wnd.GetDlgCtrlID(), CString(), 0, 0, CString()};
    auto* progress = dynamic_cast<CProgressCtrl*>(&wnd);
    if (change == UiChange::Enabled) {
        event.kind = CUiEvent::Enabled;
        event.value = wnd.IsWindowEnabled() ? 1 : 0;
    } else if (change == UiChange::Text) {
        event.kind = CUiEvent::Text;
        event.text = wnd.GetWindowText();
    } else if (change == UiChange::ProgressRange && progress) {
        event.kind = CUiEvent::ProgressRange;
        progress->GetRange(event.value, event.value2);
    } else if (change == UiChange::ProgressPos && progress) {
        event.kind = CUiEvent::ProgressPos;
        event.value = progress->GetPos();
    }
    return event;
}

} // namespace

void CScriptedFrontEnd::AnswerMessageBox(int answer) {
    std::lock_guard lock(m_scriptMutex);
    m_boxAnswers.push_back(answer);
}

void CScriptedFrontEnd::AnswerFileDialog(const CString& path) {
    std::lock_guard lock(m_scriptMutex);
    m_fileAnswers.push_back({IDOK, path});
}

void CScriptedFrontEnd::CancelFileDialog() {
    std::lock_guard lock(m_scriptMutex);
    m_fileAnswers.push_back({IDCANCEL, CString()});
}

void CScriptedFrontEnd::OnText(int id, const CString& text, std::function<void()> action) {
    std::lock_guard lock(m_scriptMutex);
    m_textActions.push_back({id, text, std::move(action)});
}

void CScriptedFrontEnd::OnDialog(UINT templateId, std::function<void(CDialog&)> action) {
    std::lock_guard lock(m_scriptMutex);
    m_dialogActions.push_back({templateId, std::move(action)});
}

void CScriptedFrontEnd::OnDialogShow(CDialog& dlg) {
    std::function<void(CDialog&)> action;
    {
        std::lock_guard lock(m_scriptMutex);
        m_events.push_back({CUiEvent::DialogShown, 0, dlg.GetWindowText(),
                            static_cast<int>(dlg.GetTemplateID()), 0, CString()});
        const auto found = std::find_if(
            m_dialogActions.begin(), m_dialogActions.end(),
            [&](const DialogAction& a) { return a.templateId == dlg.GetTemplateID(); });
        if (found != m_dialogActions.end()) {
            action = std::move(found->action);
            m_dialogActions.erase(found);
        }
    }
    if (action)
        action(dlg);
}

void CScriptedFrontEnd::Record(CUiEvent event) {
    std::lock_guard lock(m_scriptMutex);
    m_events.push_back(std::move(event));
}

void CScriptedFrontEnd::OnControlChanged(CWnd& wnd, UiChange change) {
    CUiEvent event = DescribeChange(wnd, change);
    std::function<void()> action;
    {
        std::lock_guard lock(m_scriptMutex);
        m_events.push_back(event);
        if (event.kind == CUiEvent::Text) {
            const auto found =
                std::find_if(m_textActions.begin(), m_textActions.end(), [&](const TextAction& a) {
                    return a.id == event.id && a.text == event.text;
                });
            if (found != m_textActions.end()) {
                action = std::move(found->action);
                m_textActions.erase(found);
            }
        }
    }
    if (action)
        action();
}

int CScriptedFrontEnd::MessageBox(const char* text, UINT type, UINT /*helpId*/,
                                  const char* detail) {
    std::lock_guard lock(m_scriptMutex);
    m_events.push_back({CUiEvent::MessageBox, 0, CString(text), static_cast<int>(type), 0,
                        CString(detail ? detail : "")});
    if (m_boxAnswers.empty())
        return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    const int answer = m_boxAnswers.front();
    m_boxAnswers.pop_front();
    return answer;
}

INT_PTR CScriptedFrontEnd::ChooseFile(const CFileRequest& request, CString& path) {
    std::lock_guard lock(m_scriptMutex);
    m_fileRequests.push_back(request);
    FileAnswer answer{IDCANCEL, CString()};
    if (!m_fileAnswers.empty()) {
        answer = m_fileAnswers.front();
        m_fileAnswers.pop_front();
    }
    path = answer.path;
    return answer.result;
}

void CScriptedFrontEnd::OnWorkerEnded(UINT exitCode) {
    Record({CUiEvent::WorkerEnded, 0, CString(), static_cast<int>(exitCode), 0, CString()});
}

std::vector<CUiEvent> CScriptedFrontEnd::Events(CUiEvent::Kind kind) const {
    std::lock_guard lock(m_scriptMutex);
    std::vector<CUiEvent> selected;
    std::copy_if(m_events.begin(), m_events.end(), std::back_inserter(selected),
                 [kind](const CUiEvent& event) { return event.kind == kind; });
    return selected;
}

std::vector<CFileRequest> CScriptedFrontEnd::FileRequests() const {
    std::lock_guard lock(m_scriptMutex);
    return m_fileRequests;
}

std::vector<CString> CScriptedFrontEnd::MessageBoxTexts() const {
    std::vector<CString> texts;
    for (const CUiEvent& event : Events(CUiEvent::MessageBox))
        texts.push_back(event.text);
    return texts;
}

std::vector<CString> CScriptedFrontEnd::Texts(int id) const {
    std::vector<CString> texts;
    for (const CUiEvent& event : Events(CUiEvent::Text)) {
        if (event.id == id)
            texts.push_back(event.text);
    }
    return texts;
}

std::vector<UINT> CScriptedFrontEnd::ExitCodes() const {
    std::vector<UINT> codes;
    for (const CUiEvent& event : Events(CUiEvent::WorkerEnded))
        codes.push_back(static_cast<UINT>(event.value));
    return codes;
}
