#pragma once
// The Win32 window of one CDialog, made from the dialog's template with the real controls:
// it draws what its controller tells it and hands the user's input to it (Enter and Esc
// arrive as IDOK and IDCANCEL clicks, typing into the address control as edits).

#include "platform/ui/DialogController.h"
#include "platform/win32/Native.h"

namespace orxwin {

class Win32DialogView : public DialogEvents, private CDialogWidgets {
public:
    // Creates the window hidden; owner, if any, is disabled while it is shown.
    Win32DialogView(CDialog& dialog, Window owner);
    ~Win32DialogView() override;
    Win32DialogView(const Win32DialogView&) = delete;
    Win32DialogView& operator=(const Win32DialogView&) = delete;

    CDialogController& Controller() { return m_controller; }
    Window Handle() const { return m_hwnd; }
    // The window of template item id, or nullptr.
    Window Item(int id) const;
    // Brings the window in line with the dialog, adds the dialog's system-menu items and
    // shows it.
    void Show();

private:
    void OnCommand(int id) override { m_controller.Clicked(id); }
    void OnAddressEdited(int id) override;
    bool OnSysCommand(unsigned id) override { return m_controller.SysCommand(id); }
    void OnClose() override { m_controller.Closed(); }
    void OnEndSession() override;

    void ShowCaption(const CString& text) override { SetText(m_hwnd, text.str()); }
    void ShowIcon(UINT iconId) override { SetWindowIcon(m_hwnd, iconId); }
    void ShowEnabled(int id, bool enabled) override { SetEnabled(Item(id), enabled); }
    void ShowText(int id, const CString& text) override { SetText(Item(id), text.str()); }
    void ShowProgress(int id, const CProgressState& state) override {
        SetProgress(Item(id), state.lower, state.upper, state.step, state.pos);
    }
    void ShowAddress(int id, const CAddressFields& fields) override {
        SetAddressFields(Item(id), fields);
    }

    CDialogController m_controller;
    Window m_hwnd = nullptr;
};

} // namespace orxwin
