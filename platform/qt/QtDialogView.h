#pragma once
// The Qt window of one CDialog, laid out from the dialog's template. User input goes back
// to the dialog as Windows window messages: a click is BM_CLICK on the bound button
// (WM_COMMAND for unbound ones), Enter (unless a button has the focus) and Esc are IDOK and
// IDCANCEL, the close box is WM_CLOSE. Items are found by their template id.

#include "platform/qt/DialogUnits.h"
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

class QtDialogView : public QDialog {
    Q_OBJECT
public:
    QtDialogView(CDialog& dialog, const IconProvider& icons, QWidget* parent = nullptr);

    CDialog& Dialog() const { return m_dialog; }
    const DialogBaseUnits& BaseUnits() const { return m_units; }
    // The widget of template item id (the first one for -1), or nullptr.
    QWidget* Item(int id) const;
    // The widget that mirrors a bound control, or nullptr.
    QWidget* WidgetOf(const CWnd& control) const;
    // Brings the widget of control in line with the control's state.
    void Refresh(CWnd& control);
    void RefreshAll();

    // The system menu's items (where Windows users look for "About..."), offered as the
    // dialog's context menu since window managers here have no such menu.
    std::unique_ptr<QMenu> BuildSystemMenu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;
    void accept() override;

private:
    QWidget* CreateItem(const CDialogItem& item);
    QWidget* CreateButton(const CDialogItem& item);
    QWidget* CreateStatic(const CDialogItem& item);
    void ConnectInput(const CDialogItem& item, QWidget* widget);
    void Command(int id);
    void RefreshAddress(CWnd& control, QWidget* widget);

    CDialog& m_dialog;
    IconProvider m_icons;
    DialogBaseUnits m_units;
    std::multimap<int, QWidget*> m_items;
    std::map<const CWnd*, QWidget*> m_bound;
    bool m_refreshing = false;
};

} // namespace orxqt
