#pragma once
// The questions of a front end that shows windows: a message box or file dialog is shown on
// the interface thread while the asking thread waits, and once the session ends nobody is
// asked any more (AnswerUnseen). A binding shows the box or dialog of its toolkit.

#include "platform/ui/DialogController.h"
#include "platform/ui/FrontEnd.h"

#include <atomic>

class CWindowFrontEnd : public CFrontEnd {
public:
    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) final;
    int MessageBoxWhile(const char* text, UINT type, const std::function<bool()>& stillAsked) final;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) final;
    bool IsEnding() const override { return m_ending; }

protected:
    // Interface thread; type and answer as MessageBox's; detail may be empty. stillAsked, when
    // given, is watched while the box is shown: once false, the box closes as Esc would.
    virtual int ShowMessageBox(const CString& text, UINT type, const CString& detail,
                               const std::function<bool()>& stillAsked) = 0;
    // Interface thread; true with the chosen full path.
    virtual bool ShowFileDialog(const CFileRequest& request, CString& path) = 0;

    // From now on questions are answered unseen.
    void StopAsking() { m_ending = true; }
    // Questions on the screen for workers, who wait for the answers; interface thread.
    int WorkerQuestions() const { return m_workerQuestions; }

private:
    // Runs ask on the interface thread unless the session ends; 0 when not asked.
    LRESULT Ask(const std::function<LRESULT()>& ask);
    // A message box asked as above, answered unseen when nobody is asked.
    int AskBox(const char* text, UINT type, const char* detail,
               const std::function<bool()>& stillAsked);

    std::atomic<bool> m_ending{false};
    int m_workerQuestions = 0;
};

// A window front end whose dialogs each have a View, made in OnDialogCreate (see
// CDialogViews).
template <class View> class CDialogViewFrontEnd : public CWindowFrontEnd {
public:
    // The window of dlg while it exists, or nullptr.
    View* ViewOf(const CDialog& dlg) const { return m_views.Of(dlg); }
    void OnControlChanged(CWnd& wnd, UiChange change) override { m_views.Refresh(wnd, change); }
    void OnDialogDestroy(CDialog& dlg) override { m_views.Remove(dlg); }

protected:
    CDialogViews<View> m_views;
};
