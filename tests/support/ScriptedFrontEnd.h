#pragma once
// Headless front end for tests: answers message boxes and file dialogs from a script and
// records, in order, message boxes, file requests, control changes, dialogs shown and worker
// ends. An action attached to a control's text or to a dialog runs once, on the interface
// thread inside the change: the worker that made the change goes on only after it.

#include "platform/ui/HeadlessFrontEnd.h"

#include <algorithm>
#include <iterator>
#include <vector>

struct CUiEvent {
    enum Kind { MessageBox, Enabled, Text, ProgressRange, ProgressPos, WorkerEnded, DialogShown };
    Kind kind;
    int id = 0;       // the control
    CString text{};   // box text, control text, dialog caption
    int value = 0;    // box type, enabled 0/1, lower bound, position, exit code, template id
    int value2 = 0;   // upper bound
    CString detail{}; // a box's detail text
};

class CScriptedFrontEnd : public CHeadlessFrontEnd {
public:
    // Used in order; without one a box gets IDOK (IDNO for Yes/No), a file dialog IDCANCEL.
    void AnswerMessageBox(int answer) {
        Locked([&] { m_boxAnswers.push_back(answer); });
    }
    void AnswerFileDialog(const CString& path) {
        Locked([&] { m_fileAnswers.emplace_back(IDOK, path); });
    }
    void CancelFileDialog() {
        Locked([&] { m_fileAnswers.emplace_back(IDCANCEL, CString()); });
    }
    void OnText(int id, const CString& text, std::function<void()> action) {
        Locked([&] { m_textActions.push_back({id, text, std::move(action)}); });
    }
    void OnDialog(UINT templateId, std::function<void(CDialog&)> action) {
        Locked([&] { m_dialogActions.push_back({int(templateId), {}, std::move(action)}); });
    }

    std::vector<CUiEvent> Events(CUiEvent::Kind kind) const {
        std::lock_guard lock(m_mutex);
        std::vector<CUiEvent> selected;
        std::copy_if(m_events.begin(), m_events.end(), std::back_inserter(selected),
                     [kind](const CUiEvent& e) { return e.kind == kind; });
        return selected;
    }
    std::vector<CFileRequest> FileRequests() const {
        return Locked([&] { return m_fileRequests; });
    }
    std::vector<CString> MessageBoxTexts() const { return TextsOf(CUiEvent::MessageBox, ANY); }
    std::vector<CString> Texts(int id) const { return TextsOf(CUiEvent::Text, id); }
    std::vector<UINT> ExitCodes() const {
        std::vector<UINT> codes;
        for (const CUiEvent& e : Events(CUiEvent::WorkerEnded))
            codes.push_back(static_cast<UINT>(e.value));
        return codes;
    }

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;
    void OnWorkerEnded(UINT exitCode) override {
        Locked(
            [&] { m_events.push_back({.kind = CUiEvent::WorkerEnded, .value = int(exitCode)}); });
    }
    void OnDialogShow(CDialog& dlg) override;

private:
    template <class Action> struct Scripted {
        int key;
        CString text;
        Action action;
    };
    template <class F> auto Locked(F f) const -> decltype(f()) {
        std::lock_guard lock(m_mutex);
        return f();
    }
    static constexpr int ANY = -1;
    std::vector<CString> TextsOf(CUiEvent::Kind kind, int id) const {
        std::vector<CString> texts;
        for (const CUiEvent& e : Events(kind))
            if (id == ANY || e.id == id)
                texts.push_back(e.text);
        return texts;
    }
    template <class Action> Action Take(std::vector<Scripted<Action>>& all, const CUiEvent& e);

    mutable std::mutex m_mutex;
    std::deque<int> m_boxAnswers;
    std::deque<std::pair<INT_PTR, CString>> m_fileAnswers;
    std::vector<Scripted<std::function<void()>>> m_textActions;
    std::vector<Scripted<std::function<void(CDialog&)>>> m_dialogActions;
    std::vector<CUiEvent> m_events;
    std::vector<CFileRequest> m_fileRequests;
};
