#pragma once
// How the window layer is presented. The program installs one front end (Qt window,
// terminal, test script); the dialogs, controls and transfer workers are the same for all.
//
// Threads: the front end owns the interface thread. Every control change is carried out
// there (Send); a worker that changes a control waits until it is done, as with a window
// message. Message boxes and file dialogs are asked on the calling thread and block it
// until answered; the front end decides where they are shown.

#include "platform/String.h"
#include "platform/ui/WinDefs.h"

#include <functional>

class CWnd;
class CDialog;

// What changed on a control; the control itself holds the new state.
enum class UiChange {
    Enabled,       // IsWindowEnabled()
    Text,          // GetWindowText()
    ProgressRange, // CProgressCtrl::GetRange()
    ProgressStep,  // CProgressCtrl::GetStep()
    ProgressPos,   // CProgressCtrl::GetPos()
    Address,       // CIPAddressCtrl::GetAddress()/GetField()
    Icon,          // CWnd::GetIcon()
};

// What a CFileDialog asks for.
struct CFileRequest {
    BOOL bOpenFileDialog = TRUE; // FALSE: save
    CString strDefExt;           // without the dot, empty for none
    CString strFileName;         // initial name, e.g. "*.csv"
    DWORD dwFlags = 0;           // OFN_*
    CString strFilter;           // "Text|*.TXT|...|" pairs
    CString strInitialDir;       // where the dialog starts; empty: the working folder
    CString strTitle;            // what the choice is for; empty: the toolkit's own title
};

class CFrontEnd {
public:
    CFrontEnd() = default;
    CFrontEnd(const CFrontEnd&) = delete;
    CFrontEnd& operator=(const CFrontEnd&) = delete;
    virtual ~CFrontEnd() = default;

    // --- the interface thread ---
    virtual bool IsUiThread() const = 0;
    // Runs call on the interface thread and waits for its result; an exception that call
    // throws is thrown again on the calling thread. On the interface thread itself it runs
    // at once.
    virtual LRESULT Send(const std::function<LRESULT()>& call) = 0;
    // Queues call for the interface thread and returns at once.
    virtual void Post(std::function<void()> call) = 0;
    // Interface thread only: handles queued calls (and the front end's own events) until
    // done() is true. done() is checked on the interface thread after every call handled.
    virtual void RunUntil(const std::function<bool()>& done) = 0;

    // --- presentation; called on the interface thread ---
    virtual void OnControlChanged(CWnd& wnd, UiChange change) = 0;
    // A modal dialog was bound to its controls (before OnInitDialog), was initialised and is
    // about to run its modal loop, and has ended its loop.
    virtual void OnDialogCreate(CDialog& dlg) { (void)dlg; }
    virtual void OnDialogShow(CDialog& dlg) { (void)dlg; }
    virtual void OnDialogDestroy(CDialog& dlg) { (void)dlg; }

    // --- questions; called on the asking thread, which they block until answered ---
    // Returns IDOK, IDCANCEL, IDYES or IDNO. detail (nullptr or empty: none) tells more than
    // text, e.g. which row of a file was refused and why; it is shown beneath the text.
    virtual int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) = 0;
    // The same, for a question that loses its object: once stillAsked() (checked on the
    // interface thread while the box is shown) is false, the box closes as Esc would close it.
    // A front end that cannot watch asks as MessageBox does.
    virtual int MessageBoxWhile(const char* text, UINT type,
                                const std::function<bool()>& stillAsked) {
        (void)stillAsked;
        return MessageBox(text, type, 0, nullptr);
    }
    // Returns IDOK with the full path in path, or IDCANCEL.
    virtual INT_PTR ChooseFile(const CFileRequest& request, CString& path) = 0;
    // Shows an existing folder in the platform's file manager; false when it cannot.
    virtual bool OpenFolder(const char* path) {
        (void)path;
        return false;
    }

    // A worker started with AfxBeginThread has returned exitCode; called on that worker.
    virtual void OnWorkerEnded(UINT exitCode) { (void)exitCode; }

    // Interface thread: the session ends (log-off, shut-down, a signal) and nobody is there
    // to answer. Every dialog gets WM_ENDSESSION, open questions close as Esc would close
    // them where the front end can, and later ones are answered so without being shown
    // (their text on stderr).
    virtual void EndSession() {}
    // True once the session ends: questions are answered unseen.
    virtual bool IsEnding() const { return false; }
};

// The answer the Esc key gives to a message box of type: No, Cancel, or OK for an OK box.
// Continue is IDOK.
int EscapeAnswer(UINT type);
// A message box nobody is there to see: its text and detail on stderr, so that a failure
// keeps its cause, and the Esc key's answer.
int AnswerUnseen(const char* text, UINT type, const char* detail);

// The installed front end; a built-in one that runs everything on the calling thread, says
// No/Cancel to every question and prints message boxes to stderr when none is installed.
CFrontEnd& AfxGetFrontEnd();
// Installs frontEnd (nullptr: back to the built-in one); returns the previous one.
CFrontEnd* AfxSetFrontEnd(CFrontEnd* frontEnd);

// Installs a front end for the life of a scope.
class CFrontEndScope {
public:
    explicit CFrontEndScope(CFrontEnd& frontEnd) : m_pPrevious(AfxSetFrontEnd(&frontEnd)) {}
    ~CFrontEndScope() { AfxSetFrontEnd(m_pPrevious); }
    CFrontEndScope(const CFrontEndScope&) = delete;
    CFrontEndScope& operator=(const CFrontEndScope&) = delete;

private:
    CFrontEnd* m_pPrevious;
};
