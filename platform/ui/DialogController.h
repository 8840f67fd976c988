#pragma once
// What every window binding of a dialog does alike, without a toolkit: which controls its
// widgets show, how a control's change reaches its widget, and how the user's input goes back
// to the dialog as window messages. A binding creates the widgets from the template, draws
// through CDialogWidgets and forwards its toolkit's events to the controller.

#include "platform/ui/Dialog.h"
#include "platform/ui/IPAddressCtrl.h"

#include <array>
#include <map>
#include <memory>
#include <vector>

using CAddressFields = std::array<int, CIPAddressCtrl::FIELD_COUNT>; // 0..255 or BLANK

struct CProgressState {
    int lower = 0;
    int upper = 0;
    int step = 0;
    int pos = 0;
};

// The drawing side of a binding; items are named by their template id.
class CDialogWidgets {
public:
    virtual ~CDialogWidgets() = default;
    virtual void ShowCaption(const CString& text) = 0;
    virtual void ShowIcon(UINT iconId) = 0;
    virtual void ShowEnabled(int id, bool enabled) = 0;
    virtual void ShowText(int id, const CString& text) = 0;
    virtual void ShowProgress(int id, const CProgressState& state) = 0;
    // Fields that already show their value are left alone (one may be being typed).
    virtual void ShowAddress(int id, const CAddressFields& fields) = 0;
};

class CDialogController {
public:
    // The controls bound to the dialog's template items when the binding is made.
    CDialogController(CDialog& dialog, CDialogWidgets& widgets);

    CDialog& Dialog() const { return m_dialog; }
    // True for the dialog and its bound controls.
    bool Shows(const CWnd& wnd) const;
    // Carries one change of the dialog or a bound control to its widget.
    void Refresh(CWnd& wnd, UiChange change);
    // Carries the whole state of the dialog and its controls, e.g. before it is shown.
    void RefreshAll();
    // The system menu's items of the dialog's own (none without a system menu).
    std::vector<CMenu::Item> SystemMenuItems() const;

    // --- what the user did; interface thread. Each is posted to the dialog, so that a
    // handler's own dialogs do not run inside the toolkit's event. ---
    // A button, or Enter (IDOK) or Esc (IDCANCEL).
    void Clicked(int id);
    // The user changed the fields of the address item id; the binding's own ShowAddress is
    // no edit.
    void AddressEdited(int id, const CAddressFields& fields);
    // False when id is none of the dialog's system-menu items (move, close... stay the
    // system's).
    bool SysCommand(unsigned id);
    // The close box: the dialog decides, it may first have to stop a transfer.
    void Closed();

private:
    CDialog& m_dialog;
    CDialogWidgets& m_widgets;
    std::map<const CWnd*, int> m_bound; // control -> template id
    bool m_refreshing = false;
};

// The windows of the open dialogs of a front end, innermost last. Each View has
// Controller(); the innermost goes first, since an owner's window may take its owned ones.
template <class View> class CDialogViews {
public:
    CDialogViews() = default;
    CDialogViews(const CDialogViews&) = delete;
    CDialogViews& operator=(const CDialogViews&) = delete;
    ~CDialogViews() {
        while (!m_views.empty())
            m_views.pop_back();
    }

    View& Add(std::unique_ptr<View> view) {
        m_views.push_back(std::move(view));
        return *m_views.back();
    }
    std::unique_ptr<View> Remove(const CDialog& dlg) {
        for (auto it = m_views.begin(); it != m_views.end(); ++it)
            if (&(*it)->Controller().Dialog() == &dlg) {
                std::unique_ptr<View> view = std::move(*it);
                m_views.erase(it);
                return view;
            }
        return nullptr;
    }
    View* Of(const CDialog& dlg) const {
        for (const auto& view : m_views)
            if (&view->Controller().Dialog() == &dlg)
                return view.get();
        return nullptr;
    }
    View* Top() const { return m_views.empty() ? nullptr : m_views.back().get(); }
    void Refresh(CWnd& wnd, UiChange change) const {
        for (const auto& view : m_views)
            if (view->Controller().Shows(wnd))
                view->Controller().Refresh(wnd, change);
    }
    // Tells every open dialog that the session ends, the innermost first.
    void EndSession() const {
        std::vector<CDialog*> dialogs;
        for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
            dialogs.push_back(&(*it)->Controller().Dialog());
        for (CDialog* dialog : dialogs)
            dialog->SendMessage(WM_ENDSESSION, TRUE);
    }
    // True while a dialog's modal loop would go on (e.g. its worker still runs).
    bool AnyContinues() const {
        for (const auto& view : m_views)
            if (view->Controller().Dialog().ContinueModal())
                return true;
        return false;
    }

private:
    std::vector<std::unique_ptr<View>> m_views;
};
