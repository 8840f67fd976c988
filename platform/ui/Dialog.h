#pragma once
// Modal dialog built from a template of the resource module. DoModal runs on the
// interface thread: Create() binds the controls (DoDataExchange), tells the front end, runs
// OnInitDialog; then it runs the front end's loop until EndDialog was called and
// ContinueModal() says FALSE.
//
// Messages understood (SendMessage/PostMessage on the dialog, e.g. from a front end):
// WM_COMMAND with MAKEWPARAM(id, BN_CLICKED) -> OnCommand (IDOK -> OnOK, IDCANCEL ->
// OnCancel, other ids -> the derived class's OnCommand); WM_SYSCOMMAND -> OnSysCommand;
// WM_CLOSE -> OnClose (-> OnCancel); WM_QUERYENDSESSION -> TRUE; WM_ENDSESSION -> OnEndSession
// (-> EndDialog(IDCANCEL) when the session ends).

#include "platform/ui/Menu.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Wnd.h"

#include <map>

class CDataExchange {
public:
    explicit CDataExchange(CWnd* dlg) : m_pDlgWnd(dlg) {}
    CWnd* m_pDlgWnd;
};

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    // Without a modal loop (tests, the command line): binds the controls, tells the front
    // end and runs OnInitDialog. DestroyWindow tells the front end it is gone.
    BOOL Create();
    void DestroyWindow();

    UINT GetTemplateID() const { return m_nIDTemplate; }
    const CDialogTemplate* GetTemplate() const;
    // The bound control with this id, or nullptr.
    CWnd* GetDlgItem(int id) const;
    // Created on first use; bRevert is ignored.
    CMenu* GetSystemMenu(BOOL bRevert);
    CWnd* GetOwner() const { return m_pOwnerWnd; }
    // TRUE while the modal loop must keep running.
    virtual BOOL ContinueModal();
    // Called by DDX_Control.
    void RegisterControl(CWnd& control);

protected:
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnClose() { OnCancel(); }
    // The session ends (log-off, shut-down) when bEnding: nobody answers questions any more.
    virtual void OnEndSession(BOOL bEnding) {
        if (bEnding)
            EndDialog(IDCANCEL);
    }
    // Returns TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnSysCommand(UINT nID, LPARAM lParam) {
        (void)nID;
        (void)lParam;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UINT m_nIDTemplate;
    CWnd* m_pOwnerWnd;
    bool m_bContinueModal = false;
    int m_nModalResult = IDCANCEL;
    CMenu m_systemMenu;
    std::map<int, CWnd*> m_controls;
};

// Binds control to the template item nIDC of pDX's dialog: id, caption, initial state.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
