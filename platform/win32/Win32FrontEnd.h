#pragma once
// The front end that presents the window layer with Win32: each dialog a real dialog window
// made from its template, with Button, Static, SysIPAddress32 and msctls_progress32
// controls. The thread that constructs it is the interface thread; a worker's control
// change is carried there by SendMessage and waits until the control shows it. Message
// boxes and file dialogs are the system's, shown on the interface thread over the top
// dialog while the asking thread waits.

#include "platform/ui/WindowFrontEnd.h"
#include "platform/win32/Native.h"
#include "platform/win32/Win32DialogView.h"

#include <thread>

namespace orxwin {

class Win32FrontEnd : public CDialogViewFrontEnd<Win32DialogView> {
public:
    Win32FrontEnd();
    ~Win32FrontEnd() override;

    // Caption of message boxes; the program's name unless set.
    void SetMessageBoxCaption(const CString& caption) { m_boxCaption = caption; }

    bool IsUiThread() const override;
    LRESULT Send(const std::function<LRESULT()>& call) override;
    void Post(std::function<void()> call) override;
    void RunUntil(const std::function<bool()>& done) override;

    void OnDialogCreate(CDialog& dlg) override;
    void OnDialogShow(CDialog& dlg) override;

    bool OpenFolder(const char* path) override;
    // The process ends once the window's WM_ENDSESSION returns: the dialogs' workers are
    // waited for here, except one that waits for a question already shown, which has
    // nothing left to finish (questions come before a transfer's first write or after its
    // last).
    void EndSession() override;

protected:
    int ShowMessageBox(const CString& text, UINT type, const CString& detail,
                       const std::function<bool()>& stillAsked) override;
    bool ShowFileDialog(const CFileRequest& request, CString& path) override;

private:
    Window TopWindow() const;

    std::thread::id m_uiThread;
    CallWindow m_calls;
    CString m_boxCaption;
};

} // namespace orxwin
