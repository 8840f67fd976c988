#include "platform/qt/IpAddressEdit.h"

#include "platform/IpAddress.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>

#include <memory>

namespace orxqt {

namespace {

constexpr int FIELD_DIGITS = 3;
constexpr int BITS_PER_FIELD = 8;
constexpr quint32 FIELD_MASK = 0xFF;

bool IsModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_AltGr || key == Qt::Key_Meta;
}

// The standard context menu's entry whose text starts with the field's own caption for it.
QAction* MenuEntry(const QMenu& menu, const char* caption) {
    const QString text = QCoreApplication::translate("QLineEdit", caption);
    for (QAction* action : menu.actions())
        if (action->text().startsWith(text))
            return action;
    return nullptr;
}

} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    const auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < FIELD_COUNT; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setBackgroundRole(QPalette::Base);
            layout->addWidget(dot);
        }
        auto* edit = new QLineEdit(this);
        edit->setFrame(false);
        edit->setFocusPolicy(Qt::ClickFocus); // Tab treats the four fields as one stop
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(FIELD_DIGITS);
        edit->setValidator(digits);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, i] { onEdited(i); });
        connect(edit, &QLineEdit::textChanged, this, &IpAddressEdit::addressChanged);
        layout->addWidget(edit, 1);
        m_fields[i] = edit;
    }
    setFocusProxy(m_fields[0]);
}

void IpAddressEdit::setAddress(quint32 address) {
    for (int i = 0; i < FIELD_COUNT; ++i) {
        const int shift = BITS_PER_FIELD * (FIELD_COUNT - 1 - i);
        m_fields[i]->setText(QString::number((address >> shift) & FIELD_MASK));
    }
}

int IpAddressEdit::address(std::array<quint8, FIELD_COUNT>& fields) const {
    int filled = 0;
    for (int i = 0; i < FIELD_COUNT; ++i) {
        const QString text = m_fields[i]->text();
        fields[i] = static_cast<quint8>(qMin(text.toInt(), FIELD_MAX));
        if (!text.isEmpty())
            ++filled;
    }
    return filled;
}

void IpAddressEdit::clearAddress() {
    for (QLineEdit* edit : m_fields)
        edit->clear();
}

void IpAddressEdit::onEdited(int index) {
    QLineEdit* edit = m_fields[index];
    if (edit->text().toInt() > FIELD_MAX)
        edit->setText(QString::number(FIELD_MAX));
    if (edit->text().size() == FIELD_DIGITS && edit->cursorPosition() == FIELD_DIGITS &&
        index + 1 < FIELD_COUNT) {
        focusField(index + 1, false);
        m_advancedTo = m_fields[index + 1];
    }
}

void IpAddressEdit::focusField(int index, bool atEnd) {
    QLineEdit* edit = m_fields[index];
    edit->setFocus(Qt::OtherFocusReason);
    if (atEnd)
        edit->setCursorPosition(edit->text().size());
    else
        edit->selectAll();
}

int IpAddressEdit::indexOf(QObject* watched) const {
    for (int i = 0; i < FIELD_COUNT; ++i)
        if (m_fields[i] == watched)
            return i;
    return -1;
}

void IpAddressEdit::onFocusIn(QLineEdit* edit, Qt::FocusReason reason) {
    if (reason == Qt::PopupFocusReason)
        return; // back from the context menu: the field is where it was
    edit->selectAll();
    m_selectOnPress = edit;
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0)
        return QFrame::eventFilter(watched, event);
    QLineEdit* edit = m_fields[index];
    switch (event->type()) {
    case QEvent::KeyPress:
        if (onKeyPress(index, *static_cast<QKeyEvent*>(event)))
            return true;
        break;
    case QEvent::FocusIn:
        onFocusIn(edit, static_cast<QFocusEvent*>(event)->reason());
        break;
    case QEvent::FocusOut:
        m_wholeSelected = false;
        m_advancedTo = nullptr;
        m_selectOnPress = nullptr;
        break;
    case QEvent::MouseButtonPress:
        m_wholeSelected = false;
        m_advancedTo = nullptr;
        if (m_selectOnPress == edit) {
            m_selectOnPress = nullptr;
            edit->selectAll();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        showContextMenu(index, *static_cast<QContextMenuEvent*>(event));
        return true;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

bool IpAddressEdit::onKeyPress(int index, const QKeyEvent& key) {
    if (IsModifier(key.key()))
        return false; // a separator may need Shift
    QLineEdit* edit = m_fields[index];
    const bool justAdvanced = m_advancedTo == edit;
    m_advancedTo = nullptr;
    m_selectOnPress = nullptr;
    if (key.matches(QKeySequence::Paste)) {
        paste(index);
        return true;
    }
    if (key.matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (key.matches(QKeySequence::SelectAll)) {
        selectWhole();
        return true;
    }
    if (replaceWhole(key))
        return key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete;
    const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
    const bool atEnd = edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
    const bool hasNext = index + 1 < FIELD_COUNT;
    const bool hasPrevious = index > 0;
    switch (key.key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (!justAdvanced && hasNext && !edit->text().isEmpty())
            focusField(index + 1, false);
        return true; // never typed into a field
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (atStart && hasPrevious) {
            focusField(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (atEnd && hasNext) {
            m_fields[index + 1]->setFocus(Qt::OtherFocusReason);
            m_fields[index + 1]->setCursorPosition(0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Ctrl+A takes the whole address, as in any one-line field: typing then replaces all of it,
// not one part of it.
void IpAddressEdit::selectWhole() {
    focusField(0, false);
    for (QLineEdit* field : m_fields)
        field->selectAll();
    m_wholeSelected = true;
}

bool IpAddressEdit::replaceWhole(const QKeyEvent& key) {
    if (!m_wholeSelected)
        return false;
    m_wholeSelected = false;
    const bool digit = key.text().size() == 1 && key.text()[0].isDigit();
    if (!digit && key.key() != Qt::Key_Backspace && key.key() != Qt::Key_Delete)
        return false;
    for (QLineEdit* field : m_fields)
        field->clear();
    return true;
}

void IpAddressEdit::showContextMenu(int index, const QContextMenuEvent& event) {
    QLineEdit* edit = m_fields[index];
    const std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    if (QAction* paste = MenuEntry(*menu, "&Paste")) {
        disconnect(paste, nullptr, edit, nullptr);
        connect(paste, &QAction::triggered, this, [this, index] { this->paste(index); });
    }
    if (QAction* copy = MenuEntry(*menu, "&Copy")) {
        disconnect(copy, nullptr, edit, nullptr);
        copy->setEnabled(true);
        connect(copy, &QAction::triggered, this, &IpAddressEdit::copy);
    }
    menu->exec(event.globalPos());
}

// A whole dotted address fills all four fields; one field's value replaces this field's;
// anything else could only give a wrong address, so it changes nothing.
void IpAddressEdit::paste(int index) {
    const QString text = QGuiApplication::clipboard()->text().trimmed();
    DWORD address = 0;
    if (ParseDottedAddress(text.toLatin1().constData(), address)) {
        setAddress(address);
        return;
    }
    static const QRegularExpression oneField(QStringLiteral("^[0-9]{1,3}$"));
    if (oneField.match(text).hasMatch() && text.toInt() <= FIELD_MAX)
        m_fields[index]->setText(QString::number(text.toInt()));
}

void IpAddressEdit::copy() const {
    std::array<quint8, FIELD_COUNT> fields{};
    address(fields);
    QStringList parts;
    for (const quint8 value : fields)
        parts << QString::number(value);
    QGuiApplication::clipboard()->setText(parts.join(QLatin1Char('.')));
}

} // namespace orxqt
