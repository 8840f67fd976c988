#include "platform/win32/Win32DialogView.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/win32/DialogTemplate.h"

namespace orxwin {

namespace {

WPARAM Clicked(int id) {
    return MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
}

AddressFields FieldsOf(const CIPAddressCtrl& address) {
    AddressFields fields{};
    for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i)
        fields[static_cast<std::size_t>(i)] = address.GetField(i);
    return fields;
}

void RefreshProgress(Window window, const CProgressCtrl& bar) {
    int lower = 0;
    int upper = 0;
    bar.GetRange(lower, upper);
    SetProgress(window, lower, upper, bar.GetStep(), bar.GetPos());
}

} // namespace

Win32DialogView::Win32DialogView(CDialog& dialog, Window owner) : m_dialog(dialog) {
    const CDialogTemplate* dialogTemplate = dialog.GetTemplate();
    if (dialogTemplate == nullptr)
        return;
    m_hwnd = CreateDialogWindow(BuildDialogTemplate(*dialogTemplate), owner, *this);
    for (const CDialogItem& item : dialogTemplate->items) {
        if (const CWnd* control = dialog.GetDlgItem(item.nID))
            m_bound[control] = DialogItem(m_hwnd, item.nID);
    }
}

Win32DialogView::~Win32DialogView() {
    if (m_hwnd != nullptr)
        DestroyDialogWindow(m_hwnd);
}

Window Win32DialogView::Item(int id) const {
    return m_hwnd != nullptr ? DialogItem(m_hwnd, id) : nullptr;
}

bool Win32DialogView::Shows(const CWnd& wnd) const {
    return &wnd == &m_dialog || m_bound.contains(&wnd);
}

void Win32DialogView::Show() {
    if (m_hwnd == nullptr)
        return;
    Refresh(m_dialog, UiChange::Text);
    Refresh(m_dialog, UiChange::Icon);
    for (const auto& [control, window] : m_bound) {
        auto& wnd = *const_cast<CWnd*>(control);
        Refresh(wnd, UiChange::Enabled);
        if (dynamic_cast<CIPAddressCtrl*>(&wnd) != nullptr)
            Refresh(wnd, UiChange::Address);
        else if (dynamic_cast<CProgressCtrl*>(&wnd) != nullptr)
            Refresh(wnd, UiChange::ProgressPos);
        else
            Refresh(wnd, UiChange::Text);
    }
    if (CMenu* menu = m_dialog.GetSystemMenu(FALSE)) {
        for (const CMenu::Item& item : menu->Items())
            AppendSystemMenu(m_hwnd, item.nFlags, item.nID, item.strText.str());
    }
    ShowDialogWindow(m_hwnd);
}

void Win32DialogView::Refresh(CWnd& wnd, UiChange change) {
    if (&wnd == &m_dialog) {
        if (change == UiChange::Text)
            SetText(m_hwnd, wnd.GetWindowText().str());
        if (change == UiChange::Icon && wnd.GetIcon(TRUE))
            SetWindowIcon(m_hwnd, wnd.GetIcon(TRUE).nResourceId);
        return;
    }
    const auto found = m_bound.find(&wnd);
    if (found == m_bound.end())
        return;
    const Window window = found->second;
    const bool wasRefreshing = std::exchange(m_refreshing, true);
    switch (change) {
    case UiChange::Enabled:
        SetEnabled(window, wnd.IsWindowEnabled() != FALSE);
        break;
    case UiChange::Text:
        SetText(window, wnd.GetWindowText().str());
        break;
    case UiChange::ProgressRange:
    case UiChange::ProgressStep:
    case UiChange::ProgressPos:
        if (auto* bar = dynamic_cast<CProgressCtrl*>(&wnd))
            RefreshProgress(window, *bar);
        break;
    case UiChange::Address:
        if (auto* address = dynamic_cast<CIPAddressCtrl*>(&wnd))
            SetAddressFields(window, FieldsOf(*address));
        break;
    case UiChange::Icon:
        break;
    }
    m_refreshing = wasRefreshing;
}

void Win32DialogView::OnCommand(int id) {
    // Posted, so that a handler's own dialogs do not run inside this window's message.
    if (CWnd* control = m_dialog.GetDlgItem(id))
        control->PostMessage(BM_CLICK);
    else
        m_dialog.PostMessage(WM_COMMAND, Clicked(id));
}

void Win32DialogView::OnAddressEdited(int id) {
    auto* control = dynamic_cast<CIPAddressCtrl*>(m_dialog.GetDlgItem(id));
    const auto found = control != nullptr ? m_bound.find(control) : m_bound.end();
    if (m_refreshing || found == m_bound.end())
        return;
    const AddressFields fields = GetAddressFields(found->second);
    for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i) {
        const int value = fields[static_cast<std::size_t>(i)];
        if (control->GetField(i) != value)
            control->SetField(i, value);
    }
}

bool Win32DialogView::OnSysCommand(unsigned id) {
    CMenu* menu = m_dialog.GetSystemMenu(FALSE);
    if (menu == nullptr)
        return false;
    for (const CMenu::Item& item : menu->Items()) {
        if ((item.nFlags & MF_SEPARATOR) == 0 && (item.nID & SC_MASK) == (id & SC_MASK)) {
            m_dialog.PostMessage(WM_SYSCOMMAND, id);
            return true;
        }
    }
    return false;
}

void Win32DialogView::OnClose() {
    // The dialog decides; it may first have to stop a transfer.
    m_dialog.PostMessage(WM_CLOSE);
}

void Win32DialogView::OnEndSession() {
    AfxGetFrontEnd().EndSession();
}

} // namespace orxwin
