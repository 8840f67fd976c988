#include "platform/ui/DialogController.h"

#include "platform/ui/ProgressCtrl.h"

#include <utility>

namespace {

WPARAM ClickedParam(int id) {
    return MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
}

CAddressFields FieldsOf(const CIPAddressCtrl& address) {
    CAddressFields fields{};
    for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i)
        fields[static_cast<std::size_t>(i)] = address.GetField(i);
    return fields;
}

CProgressState StateOf(const CProgressCtrl& bar) {
    CProgressState state;
    bar.GetRange(state.lower, state.upper);
    state.step = bar.GetStep();
    state.pos = bar.GetPos();
    return state;
}

// The change that carries the whole content of a control.
UiChange ContentChange(CWnd& wnd) {
    if (dynamic_cast<CIPAddressCtrl*>(&wnd) != nullptr)
        return UiChange::Address;
    if (dynamic_cast<CProgressCtrl*>(&wnd) != nullptr)
        return UiChange::ProgressPos;
    return UiChange::Text;
}

} // namespace

CDialogController::CDialogController(CDialog& dialog, CDialogWidgets& widgets)
    : m_dialog(dialog), m_widgets(widgets) {
    if (const CDialogTemplate* dialogTemplate = dialog.GetTemplate())
        for (const CDialogItem& item : dialogTemplate->items)
            if (const CWnd* control = dialog.GetDlgItem(item.nID))
                m_bound[control] = item.nID;
}

bool CDialogController::Shows(const CWnd& wnd) const {
    return &wnd == &m_dialog || m_bound.contains(&wnd);
}

void CDialogController::RefreshAll() {
    Refresh(m_dialog, UiChange::Text);
    Refresh(m_dialog, UiChange::Icon);
    for (const auto& [control, id] : m_bound) {
        auto& wnd = *const_cast<CWnd*>(control);
        Refresh(wnd, UiChange::Enabled);
        Refresh(wnd, ContentChange(wnd));
    }
}

void CDialogController::Refresh(CWnd& wnd, UiChange change) {
    if (&wnd == &m_dialog) {
        if (change == UiChange::Text)
            m_widgets.ShowCaption(wnd.GetWindowText());
        if (change == UiChange::Icon && wnd.GetIcon(TRUE))
            m_widgets.ShowIcon(wnd.GetIcon(TRUE).nResourceId);
        return;
    }
    const auto found = m_bound.find(&wnd);
    if (found == m_bound.end())
        return;
    const int id = found->second;
    const bool wasRefreshing = std::exchange(m_refreshing, true);
    switch (change) {
    case UiChange::Enabled:
        m_widgets.ShowEnabled(id, wnd.IsWindowEnabled() != FALSE);
        break;
    case UiChange::Text:
        m_widgets.ShowText(id, wnd.GetWindowText());
        break;
    case UiChange::ProgressRange:
    case UiChange::ProgressStep:
    case UiChange::ProgressPos:
        if (auto* bar = dynamic_cast<CProgressCtrl*>(&wnd))
            m_widgets.ShowProgress(id, StateOf(*bar));
        break;
    case UiChange::Address:
        if (auto* address = dynamic_cast<CIPAddressCtrl*>(&wnd))
            m_widgets.ShowAddress(id, FieldsOf(*address));
        break;
    case UiChange::Icon:
        break;
    }
    m_refreshing = wasRefreshing;
}

std::vector<CMenu::Item> CDialogController::SystemMenuItems() const {
    CMenu* menu = m_dialog.GetSystemMenu(FALSE);
    return menu != nullptr ? menu->Items() : std::vector<CMenu::Item>{};
}

void CDialogController::Clicked(int id) {
    if (CWnd* control = m_dialog.GetDlgItem(id))
        control->PostMessage(BM_CLICK);
    else
        m_dialog.PostMessage(WM_COMMAND, ClickedParam(id));
}

void CDialogController::AddressEdited(int id, const CAddressFields& fields) {
    auto* control = dynamic_cast<CIPAddressCtrl*>(m_dialog.GetDlgItem(id));
    if (m_refreshing || control == nullptr || !m_bound.contains(control))
        return;
    for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i) {
        const int value = fields[static_cast<std::size_t>(i)];
        if (control->GetField(i) != value)
            control->SetField(i, value);
    }
}

bool CDialogController::SysCommand(unsigned id) {
    for (const CMenu::Item& item : SystemMenuItems()) {
        if ((item.nFlags & MF_SEPARATOR) == 0 && (item.nID & SC_MASK) == (id & SC_MASK)) {
            m_dialog.PostMessage(WM_SYSCOMMAND, id);
            return true;
        }
    }
    return false;
}

void CDialogController::Closed() {
    m_dialog.PostMessage(WM_CLOSE);
}
