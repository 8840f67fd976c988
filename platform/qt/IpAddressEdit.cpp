#include "platform/qt/IpAddressEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace orxqt {

namespace {

constexpr int FIELD_DIGITS = 3;
constexpr int BITS_PER_FIELD = 8;
constexpr quint32 FIELD_MASK = 0xFF;

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
        index + 1 < FIELD_COUNT)
        focusField(index + 1, false);
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

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* edit = m_fields[index];
    const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
    const bool atEnd = edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
    const bool hasNext = index + 1 < FIELD_COUNT;
    const bool hasPrevious = index > 0;
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (hasNext && !edit->text().isEmpty())
            focusField(index + 1, false);
        return true; // never typed into a field
    case Qt::Key_Backspace:
        if (atStart && hasPrevious) {
            focusField(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (atStart && hasPrevious) {
            focusField(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (atEnd && hasNext) {
            m_fields[index + 1]->setFocus(Qt::OtherFocusReason);
            m_fields[index + 1]->setCursorPosition(0);
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace orxqt
