#pragma once
// The Qt window of one CDialog, laid out from the dialog's template: it draws what its
// controller tells it and hands the user's input to it. Enter (unless a button has the
// focus) and Esc are IDOK and IDCANCEL. Items are found by their template id.

#include "platform/qt/DialogUnits.h"
#include "platform/ui/DialogController.h"
#include "platform/ui/Resources.h"

#include <QDialog>
#include <QIcon>

#include <functional>
#include <map>
#include <memory>

class QMenu;

class CDialog;
class CWnd;

namespace orxqt {

using IconProvider = std::function<QIcon(UINT iconId)>;

class QtDialogView : public QDialog, private CDialogWidgets {
    Q_OBJECT
public:
    QtDialogView(CDialog& dialog, const IconProvider& icons, QWidget* parent = nullptr);

    CDialog& Dialog() const { return m_controller.Dialog(); }
    CDialogController& Controller() { return m_controller; }
    const DialogBaseUnits& BaseUnits() const { return m_units; }
    // The widget of template item id (the first one for -1), or nullptr.
    QWidget* Item(int id) const;

    // The system menu's items (where "About..." lives on Windows), offered as the
    // dialog's context menu since window managers here have no such menu.
    std::unique_ptr<QMenu> BuildSystemMenu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The system menu's keyboard shortcuts work from the first show on, menu open or not.
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void accept() override;

private:
    QWidget* CreateItem(const CDialogItem& item);
    QWidget* CreateButton(const CDialogItem& item);
    QWidget* CreateStatic(const CDialogItem& item);
    void ConnectInput(const CDialogItem& item, QWidget* widget);

    void ShowCaption(const CString& text) override;
    void ShowIcon(UINT iconId) override;
    void ShowEnabled(int id, bool enabled) override;
    void ShowText(int id, const CString& text) override;
    void ShowProgress(int id, const CProgressState& state) override;
    void ShowAddress(int id, const CAddressFields& fields) override;

    IconProvider m_icons;
    DialogBaseUnits m_units;
    std::multimap<int, QWidget*> m_items;
    CDialogController m_controller;
    bool m_shortcutsBound = false;
};

} // namespace orxqt
