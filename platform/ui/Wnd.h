#pragma once
// Windows and simple controls. A control holds its own state (the model); the front end
// mirrors it. State is changed and read on the interface thread only: every public call
// below may be made from any thread and is carried there through SendMessage.

#include "platform/Object.h"
#include "platform/String.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/WinDefs.h"

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Returns TRUE when the window was disabled before the call.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    void SetWindowText(const char* text);
    CString GetWindowText() const;
    // Carried out on the interface thread; the caller waits for the result.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queued for the interface thread.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    int GetDlgCtrlID() const { return m_nID; }
    CWnd* GetParent() const { return m_pParentWnd; }
    HICON SetIcon(HICON icon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    // Binds a control to its place in a dialog and takes the template's initial state
    // (caption, WS_DISABLED). Called by DDX_Control.
    void Attach(CWnd* parent, int id, const char* caption, DWORD style);
    DWORD GetStyle() const { return m_dwStyle; }

protected:
    // Runs on the interface thread.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Tells the front end; interface thread only.
    void NotifyChanged(UiChange change);

private:
    int m_nID = 0;
    CWnd* m_pParentWnd = nullptr;
    DWORD m_dwStyle = 0;
    bool m_bEnabled = true;
    CString m_strText;
    HICON m_hIconBig;
    HICON m_hIconSmall;
};

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
protected:
    // BM_CLICK: when enabled, sends WM_COMMAND(BN_CLICKED) to the parent.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
};
