#pragma once
// Headless front end for tests: answers message boxes and file dialogs from a script and
// records, in order, message boxes, file requests, control changes and worker ends.
// Actions can be attached to a control text (e.g. press Cancel when the status line shows
// "Uploading Alarm 5/32..."); they run on the interface thread inside the change, so the
// worker that made the change goes on only after the action.

#include "platform/ui/HeadlessFrontEnd.h"

#include <vector>

struct CUiEvent {
    enum Kind {
        MessageBox,    // text, value = type, detail
        Enabled,       // id, value = 0/1
        Text,          // id, text
        ProgressRange, // id, value = lower, value2 = upper
        ProgressPos,   // id, value = position
        WorkerEnded,   // value = exit code
        DialogShown,   // text = caption, value = template id
        Other,         // a change no test looks at
    };
    Kind kind;
    int id = 0;
    CString text;
    int value = 0;
    int value2 = 0;
    CString detail; // MessageBox: its detail text
};

class CScriptedFrontEnd : public CHeadlessFrontEnd {
public:
    // Answers are used in order; without one a box gets IDOK (IDNO for Yes/No) and a file
    // dialog IDCANCEL.
    void AnswerMessageBox(int answer);
    void AnswerFileDialog(const CString& path); // IDOK with path
    void CancelFileDialog();
    // Runs action once, the first time control id is given text.
    void OnText(int id, const CString& text, std::function<void()> action);
    // Runs action once, the first time a dialog of this template is shown.
    void OnDialog(UINT templateId, std::function<void(CDialog&)> action);

    std::vector<CUiEvent> Events(CUiEvent::Kind kind) const;
    std::vector<CFileRequest> FileRequests() const;
    // Texts of message boxes, in order.
    std::vector<CString> MessageBoxTexts() const;
    // Texts that control id was given, in order.
    std::vector<CString> Texts(int id) const;
    // Exit codes of ended workers, in order.
    std::vector<UINT> ExitCodes() const;

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;
    void OnWorkerEnded(UINT exitCode) override;
    void OnDialogShow(CDialog& dlg) override;

private:
    struct FileAnswer {
        INT_PTR result;
        CString path;
    };
    struct TextAction {
        int id;
        CString text;
        std::function<void()> action;
    };
    struct DialogAction {
        UINT templateId;
        std::function<void(CDialog&)> action;
    };
    void Record(CUiEvent event);

    mutable std::mutex m_scriptMutex;
    std::deque<int> m_boxAnswers;
    std::deque<FileAnswer> m_fileAnswers;
    std::vector<TextAction> m_textActions;
    std::vector<DialogAction> m_dialogActions;
    std::vector<CUiEvent> m_events;
    std::vector<CFileRequest> m_fileRequests;
};
