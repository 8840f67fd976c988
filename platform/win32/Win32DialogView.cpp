#include "platform/win32/Win32DialogView.h"

#include "platform/win32/DialogTemplate.h"

namespace orxwin {

Win32DialogView::Win32DialogView(CDialog& dialog, Window owner) : m_controller(dialog, *this) {
    if (const CDialogTemplate* dialogTemplate = dialog.GetTemplate())
        m_hwnd = CreateDialogWindow(BuildDialogTemplate(*dialogTemplate), owner, *this);
}

Win32DialogView::~Win32DialogView() {
    if (m_hwnd != nullptr)
        DestroyDialogWindow(m_hwnd);
}

Window Win32DialogView::Item(int id) const {
    return m_hwnd != nullptr ? DialogItem(m_hwnd, id) : nullptr;
}

void Win32DialogView::Show() {
    if (m_hwnd == nullptr)
        return;
    m_controller.RefreshAll();
    for (const CMenu::Item& item : m_controller.SystemMenuItems())
        AppendSystemMenu(m_hwnd, item.nFlags, item.nID, item.strText.str());
    ShowDialogWindow(m_hwnd);
}

void Win32DialogView::OnAddressEdited(int id) {
    m_controller.AddressEdited(id, GetAddressFields(Item(id)));
}

void Win32DialogView::OnEndSession() {
    AfxGetFrontEnd().EndSession();
}

} // namespace orxwin
