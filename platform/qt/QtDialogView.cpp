#include "platform/qt/QtDialogView.h"

#include "platform/qt/IpAddressEdit.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace orxqt {

namespace {

constexpr DWORD BUTTON_KIND_MASK = 0x0F;
constexpr DWORD STATIC_KIND_MASK = 0x1F;
// An icon static shows the icon at its own size, whatever the template says.
constexpr int ICON_STATIC_SIZE = 32;
constexpr int DEFAULT_PROGRESS_UPPER = 100;

bool IsClass(const CDialogItem& item, const char* name) {
    return item.lpszClass != nullptr && std::strcmp(item.lpszClass, name) == 0;
}

QString Text(const char* text) {
    return QString::fromUtf8(text ? text : "");
}

// An icon static names its icon by id: "130" or "#130".
UINT IconIdOf(const char* caption) {
    if (caption == nullptr)
        return 0;
    if (*caption == '#')
        ++caption;
    return static_cast<UINT>(std::atoi(caption));
}

int FieldValue(const QLineEdit& field) {
    const QString text = field.text();
    return text.isEmpty() ? CIPAddressCtrl::BLANK : text.toInt();
}

} // namespace

QtDialogView::QtDialogView(CDialog& dialog, const IconProvider& icons, QWidget* parent)
    : QDialog(parent), m_icons(icons), m_controller(dialog, *this) {
    const CDialogTemplate* dialogTemplate = dialog.GetTemplate();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    if (dialogTemplate == nullptr)
        return;
    setWindowTitle(Text(dialogTemplate->lpszCaption));
    const QFont font = DialogFont(dialogTemplate->lpszFontName, dialogTemplate->wPointSize);
    setFont(font);
    m_units = BaseUnitsOf(font);
    setFixedSize(DialogRectToPixels(m_units, 0, 0, dialogTemplate->cx, dialogTemplate->cy).size());

    QWidget* previousTabStop = nullptr;
    for (const CDialogItem& item : dialogTemplate->items) {
        QWidget* widget = CreateItem(item);
        widget->setGeometry(DialogRectToPixels(m_units, item.x, item.y, item.cx, item.cy));
        widget->setProperty("dialogItemId", item.nID);
        widget->setEnabled((item.dwStyle & WS_DISABLED) == 0);
        widget->setVisible((item.dwStyle & WS_VISIBLE) != 0);
        if (qobject_cast<QGroupBox*>(widget) != nullptr)
            widget->lower(); // frames behind the controls they hold
        if ((item.dwStyle & WS_TABSTOP) != 0) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr)
                QWidget::setTabOrder(previousTabStop, widget);
            else
                widget->setFocus(Qt::OtherFocusReason); // the first tab stop starts with it
            previousTabStop = widget;
        } else if (qobject_cast<QPushButton*>(widget) != nullptr) {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        m_items.emplace(item.nID, widget);
        ConnectInput(item, widget);
    }
    m_controller.RefreshAll();
}

QWidget* QtDialogView::CreateItem(const CDialogItem& item) {
    if (IsClass(item, WC_BUTTON))
        return CreateButton(item);
    if (IsClass(item, WC_IPADDRESS))
        return new IpAddressEdit(this);
    if (IsClass(item, WC_PROGRESS)) {
        auto* bar = new QProgressBar(this);
        bar->setTextVisible(false);
        bar->setRange(0, DEFAULT_PROGRESS_UPPER);
        bar->setValue(0);
        return bar;
    }
    return CreateStatic(item);
}

QWidget* QtDialogView::CreateButton(const CDialogItem& item) {
    const DWORD kind = item.dwStyle & BUTTON_KIND_MASK;
    if (kind == BS_GROUPBOX)
        return new QGroupBox(Text(item.lpszCaption), this);
    auto* button = new QPushButton(Text(item.lpszCaption), this);
    // Only the template's default button is one; a focused button does not become it.
    button->setAutoDefault(false);
    button->setDefault(kind == BS_DEFPUSHBUTTON);
    return button;
}

QWidget* QtDialogView::CreateStatic(const CDialogItem& item) {
    auto* label = new QLabel(this);
    if ((item.dwStyle & STATIC_KIND_MASK) == SS_ICON) {
        const UINT iconId = IconIdOf(item.lpszCaption);
        label->setPixmap(m_icons ? m_icons(iconId).pixmap(ICON_STATIC_SIZE) : QPixmap());
        return label;
    }
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setText(Text(item.lpszCaption));
    return label;
}

void QtDialogView::ConnectInput(const CDialogItem& item, QWidget* widget) {
    const int id = item.nID;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        connect(button, &QPushButton::clicked, this, [this, id] { m_controller.Clicked(id); });
        return;
    }
    if (auto* edit = qobject_cast<IpAddressEdit*>(widget)) {
        connect(edit, &IpAddressEdit::addressChanged, this, [this, edit, id] {
            CAddressFields fields{};
            for (int i = 0; i < IpAddressEdit::FIELD_COUNT; ++i)
                fields[static_cast<std::size_t>(i)] = FieldValue(*edit->field(i));
            m_controller.AddressEdited(id, fields);
        });
    }
}

QWidget* QtDialogView::Item(int id) const {
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

void QtDialogView::ShowCaption(const CString& text) {
    setWindowTitle(Text(text));
}

void QtDialogView::ShowIcon(UINT iconId) {
    if (m_icons)
        setWindowIcon(m_icons(iconId));
}

void QtDialogView::ShowEnabled(int id, bool enabled) {
    if (QWidget* widget = Item(id))
        widget->setEnabled(enabled);
}

void QtDialogView::ShowText(int id, const CString& text) {
    QWidget* widget = Item(id);
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull())
        label->setText(Text(text));
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(Text(text));
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(Text(text));
}

void QtDialogView::ShowProgress(int id, const CProgressState& state) {
    if (auto* bar = qobject_cast<QProgressBar*>(Item(id))) {
        bar->setRange(state.lower, state.upper);
        bar->setValue(state.pos);
    }
}

void QtDialogView::ShowAddress(int id, const CAddressFields& fields) {
    auto* edit = qobject_cast<IpAddressEdit*>(Item(id));
    if (edit == nullptr)
        return;
    for (int i = 0; i < IpAddressEdit::FIELD_COUNT; ++i) {
        const int value = fields[static_cast<std::size_t>(i)];
        QLineEdit* field = edit->field(i);
        if (FieldValue(*field) != value)
            field->setText(value == CIPAddressCtrl::BLANK ? QString() : QString::number(value));
    }
}

std::unique_ptr<QMenu> QtDialogView::BuildSystemMenu() {
    auto menu = std::make_unique<QMenu>(this);
    for (const CMenu::Item& item : m_controller.SystemMenuItems()) {
        if ((item.nFlags & MF_SEPARATOR) != 0) {
            if (!menu->isEmpty())
                menu->addSeparator();
            continue;
        }
        const UINT id = item.nID;
        QAction* action = menu->addAction(Text(item.strText));
        action->setShortcut(QKeySequence(Text(item.strShortcut)));
        connect(action, &QAction::triggered, this, [this, id] { m_controller.SysCommand(id); });
    }
    return menu;
}

void QtDialogView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (std::exchange(m_shortcutsBound, true))
        return;
    for (const CMenu::Item& item : m_controller.SystemMenuItems()) {
        if (item.strShortcut.IsEmpty())
            continue;
        const UINT id = item.nID;
        auto* shortcut = new QShortcut(QKeySequence(Text(item.strShortcut)), this);
        connect(shortcut, &QShortcut::activated, this, [this, id] { m_controller.SysCommand(id); });
    }
}

void QtDialogView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu = BuildSystemMenu();
    if (!menu->isEmpty())
        menu->exec(event->globalPos());
}

void QtDialogView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a focused button presses it, as Space does; elsewhere it is IDOK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            m_controller.Clicked(IDOK);
        return;
    case Qt::Key_Escape:
        m_controller.Clicked(IDCANCEL);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void QtDialogView::closeEvent(QCloseEvent* event) {
    event->ignore();
    m_controller.Closed();
}

void QtDialogView::reject() {
    m_controller.Clicked(IDCANCEL);
}

void QtDialogView::accept() {
    m_controller.Clicked(IDOK);
}

} // namespace orxqt
