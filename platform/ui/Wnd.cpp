#include "platform/ui/Wnd.h"

#include "platform/ui/PrivateMessages.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return static_cast<BOOL>(SendMessage(UIM_ENABLE, static_cast<WPARAM>(bEnable)));
}

BOOL CWnd::IsWindowEnabled() const {
    return static_cast<BOOL>(const_cast<CWnd*>(this)->SendMessage(UIM_ISENABLED));
}

void CWnd::SetWindowText(const char* text) {
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

CString CWnd::GetWindowText() const {
    CString text;
    const_cast<CWnd*>(this)->SendMessage(UIM_GETTEXT, 0, reinterpret_cast<LPARAM>(&text));
    return text;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return AfxGetFrontEnd().Send([&] { return WindowProc(message, wParam, lParam); });
}

void CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    AfxGetFrontEnd().Post([this, message, wParam, lParam] { WindowProc(message, wParam, lParam); });
}

HICON CWnd::SetIcon(HICON icon, BOOL bBigIcon) {
    const LRESULT previous = SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                         static_cast<LPARAM>(icon.nResourceId));
    return HICON{static_cast<UINT>(previous)};
}

HICON CWnd::GetIcon(BOOL bBigIcon) const {
    const LRESULT id =
        const_cast<CWnd*>(this)->SendMessage(UIM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL);
    return HICON{static_cast<UINT>(id)};
}

void CWnd::Attach(CWnd* parent, int id, const char* caption, DWORD style) {
    m_pParentWnd = parent;
    m_nID = id;
    m_dwStyle = style;
    m_bEnabled = (style & WS_DISABLED) == 0;
    m_strText = caption ? caption : "";
}

void CWnd::NotifyChanged(UiChange change) {
    AfxGetFrontEnd().OnControlChanged(*this, change);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case UIM_ENABLE: {
        const BOOL wasDisabled = m_bEnabled ? FALSE : TRUE;
        m_bEnabled = wParam != 0;
        NotifyChanged(UiChange::Enabled);
        return wasDisabled;
    }
    case UIM_ISENABLED:
        return m_bEnabled ? TRUE : FALSE;
    case WM_SETTEXT:
        m_strText = reinterpret_cast<const char*>(lParam);
        NotifyChanged(UiChange::Text);
        return TRUE;
    case UIM_GETTEXT:
        *reinterpret_cast<CString*>(lParam) = m_strText;
        return m_strText.GetLength();
    case WM_SETICON: {
        HICON& slot = wParam == ICON_BIG ? m_hIconBig : m_hIconSmall;
        const UINT previous = slot.nResourceId;
        slot = HICON{static_cast<UINT>(lParam)};
        NotifyChanged(UiChange::Icon);
        return previous;
    }
    case UIM_GETICON:
        return (wParam == ICON_BIG ? m_hIconBig : m_hIconSmall).nResourceId;
    default:
        return 0;
    }
}

LRESULT CButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != BM_CLICK)
        return CWnd::WindowProc(message, wParam, lParam);
    if (IsWindowEnabled() && GetParent() != nullptr) {
        GetParent()->SendMessage(WM_COMMAND,
                                 MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID()), BN_CLICKED),
                                 reinterpret_cast<LPARAM>(this));
    }
    return 0;
}
