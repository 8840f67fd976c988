#pragma once
// The Win32 window of one CDialog, made from the dialog's template with the real controls.
// What the user does goes back to the dialog as window messages, as in the
// Qt view: a click is BM_CLICK on the bound button (WM_COMMAND for unbound ones, Enter and
// Esc among them), a system-menu item of the dialog's own is WM_SYSCOMMAND, the close box
// WM_CLOSE; typing into the address control sets its fields.

#include "platform/ui/FrontEnd.h"
#include "platform/win32/Native.h"

#include <map>

namespace orxwin {

class Win32DialogView : public DialogEvents {
public:
    // Creates the window hidden; owner, if any, is disabled while it is shown.
    Win32DialogView(CDialog& dialog, Window owner);
    ~Win32DialogView() override;
    Win32DialogView(const Win32DialogView&) = delete;
    Win32DialogView& operator=(const Win32DialogView&) = delete;

    CDialog& Dialog() const { return m_dialog; }
    Window Handle() const { return m_hwnd; }
    // The window of template item id, or nullptr.
    Window Item(int id) const;
    // True for the dialog and its bound controls.
    bool Shows(const CWnd& wnd) const;
    // Brings the window in line with the dialog, adds the dialog's system-menu items and
    // shows it.
    void Show();
    // Carries one change of the dialog or a bound control to its window.
    void Refresh(CWnd& wnd, UiChange change);

    void OnCommand(int id) override;
    void OnAddressEdited(int id) override;
    bool OnSysCommand(unsigned id) override;
    void OnClose() override;
    void OnEndSession() override;

private:
    CDialog& m_dialog;
    Window m_hwnd = nullptr;
    std::map<const CWnd*, Window> m_bound;
    bool m_refreshing = false;
};

} // namespace orxwin
