#include "platform/ui/Dialog.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pOwnerWnd(pParentWnd) {}

const CDialogTemplate* CDialog::GetTemplate() const {
    return AfxFindDialogTemplate(m_nIDTemplate);
}

CWnd* CDialog::GetDlgItem(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

CMenu* CDialog::GetSystemMenu(BOOL /*bRevert*/) {
    const CDialogTemplate* dialog = GetTemplate();
    if (dialog == nullptr || (dialog->dwStyle & WS_SYSMENU) == 0)
        return nullptr;
    return &m_systemMenu;
}

void CDialog::RegisterControl(CWnd& control) {
    m_controls[control.GetDlgCtrlID()] = &control;
}

BOOL CDialog::Create() {
    CFrontEnd& frontEnd = AfxGetFrontEnd();
    if (!frontEnd.IsUiThread())
        return static_cast<BOOL>(frontEnd.Send([this] { return static_cast<LRESULT>(Create()); }));
    const CDialogTemplate* dialog = GetTemplate();
    Attach(m_pOwnerWnd, 0, dialog ? dialog->lpszCaption : "", dialog ? dialog->dwStyle : 0);
    m_systemMenu = CMenu();
    CDataExchange dx(this);
    DoDataExchange(&dx);
    m_bContinueModal = true;
    frontEnd.OnDialogCreate(*this);
    SendMessage(WM_INITDIALOG);
    frontEnd.OnDialogShow(*this);
    return TRUE;
}

void CDialog::DestroyWindow() {
    CFrontEnd& frontEnd = AfxGetFrontEnd();
    frontEnd.Send([this, &frontEnd] {
        frontEnd.OnDialogDestroy(*this);
        return LRESULT{0};
    });
}

INT_PTR CDialog::DoModal() {
    CFrontEnd& frontEnd = AfxGetFrontEnd();
    if (!frontEnd.IsUiThread())
        return static_cast<INT_PTR>(
            frontEnd.Send([this] { return static_cast<LRESULT>(DoModal()); }));
    m_nModalResult = IDCANCEL;
    Create();
    frontEnd.RunUntil([this] { return !ContinueModal(); });
    DestroyWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_bContinueModal = false;
    AfxGetFrontEnd().Post([] {}); // lets a waiting modal loop look again
}

BOOL CDialog::ContinueModal() {
    return m_bContinueModal ? TRUE : FALSE;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
    if (HIWORD(static_cast<DWORD>(wParam)) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(static_cast<DWORD>(wParam))) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(wParam != 0 ? TRUE : FALSE);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    auto* dialog = static_cast<CDialog*>(pDX->m_pDlgWnd);
    const CDialogTemplate* dialogTemplate = dialog->GetTemplate();
    const CDialogItem* item = dialogTemplate ? AfxFindDialogItem(*dialogTemplate, nIDC) : nullptr;
    rControl.Attach(dialog, nIDC, item ? item->lpszCaption : "", item ? item->dwStyle : 0);
    dialog->RegisterControl(rControl);
}
