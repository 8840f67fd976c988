#pragma once
// The front end that presents the window layer with Win32: each dialog a real dialog window
// made from its template, with Button, Static, SysIPAddress32 and msctls_progress32
// controls. The thread that constructs it is the interface thread; a worker's control
// change is carried there by SendMessage and waits until the control shows it. Message
// boxes and file dialogs are the system's, shown on the interface thread over the top
// dialog while the asking thread waits.

#include "platform/ui/FrontEnd.h"
#include "platform/win32/Native.h"
#include "platform/win32/Win32DialogView.h"

#include <memory>
#include <thread>
#include <vector>

namespace orxwin {

class Win32FrontEnd : public CFrontEnd {
public:
    // Answer a question instead of a modal system box (tests); run on the interface thread.
    using MessageBoxAnswer = std::function<int(const CString& text, UINT type)>;
    using FileAnswer = std::function<INT_PTR(const CFileRequest& request, CString& path)>;

    Win32FrontEnd();
    ~Win32FrontEnd() override;

    void SetMessageBoxAnswer(MessageBoxAnswer answer) { m_boxAnswer = std::move(answer); }
    void SetFileAnswer(FileAnswer answer) { m_fileAnswer = std::move(answer); }
    // Caption of message boxes; the program's name unless set.
    void SetMessageBoxCaption(const CString& caption) { m_boxCaption = caption; }
    // The window of dlg while it exists, or nullptr.
    Win32DialogView* ViewOf(const CDialog& dlg) const;

    bool IsUiThread() const override;
    LRESULT Send(const std::function<LRESULT()>& call) override;
    void Post(std::function<void()> call) override;
    void RunUntil(const std::function<bool()>& done) override;

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    void OnDialogCreate(CDialog& dlg) override;
    void OnDialogShow(CDialog& dlg) override;
    void OnDialogDestroy(CDialog& dlg) override;

    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;
    bool OpenFolder(const char* path) override;
    // The process ends once the window's WM_ENDSESSION returns: the workers are waited for
    // here, except one that waits for a question already shown, which has nothing left to
    // finish (questions come before a transfer's first write or after its last).
    void EndSession() override;

private:
    Window TopWindow() const;

    std::thread::id m_uiThread;
    CallWindow m_calls;
    MessageBoxAnswer m_boxAnswer;
    FileAnswer m_fileAnswer;
    CString m_boxCaption;
    std::vector<std::unique_ptr<Win32DialogView>> m_views; // open dialogs, innermost last
    bool m_ending = false;
    int m_workerQuestions = 0; // shown for workers, who wait for the answers
};

} // namespace orxwin
