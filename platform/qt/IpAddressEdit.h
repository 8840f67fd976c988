#pragma once
// Four fields of 0 to 255 separated by dots, behaving like the classic address control:
// '.', space or a third digit moves on to the next field, a '.' or space right after a third
// digit's move is swallowed, Backspace in an empty field moves back, values above 255 are
// clamped, entering a field (and the first click into it) selects its text. A dotted address
// pasted into any field fills all four; copying takes the whole dotted address.

#include <QFrame>

#include <array>

class QContextMenuEvent;
class QKeyEvent;
class QLineEdit;

namespace orxqt {

class IpAddressEdit : public QFrame {
    Q_OBJECT
public:
    static constexpr int FIELD_COUNT = 4;
    static constexpr int FIELD_MAX = 255;

    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Address with the first field in the high-order byte; fills all four fields.
    void setAddress(quint32 address);
    // Empty fields read as 0; returns the number of non-empty fields.
    int address(std::array<quint8, FIELD_COUNT>& fields) const;
    void clearAddress();
    QLineEdit* field(int index) const { return m_fields[index]; }

signals:
    void addressChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key was taken here rather than by the field.
    bool onKeyPress(int index, const QKeyEvent& key);
    void onFocusIn(QLineEdit* edit, Qt::FocusReason reason);
    void onEdited(int index);
    void focusField(int index, bool atEnd);
    int indexOf(QObject* watched) const;
    void showContextMenu(int index, const QContextMenuEvent& event);
    void paste(int index);
    void copy() const;
    void selectWhole();
    // True when the key replaced a whole selected address (it is cleared first).
    bool replaceWhole(const QKeyEvent& key);

    std::array<QLineEdit*, FIELD_COUNT> m_fields{};
    // The field a third digit moved to, until the next key: a separator there is swallowed.
    QLineEdit* m_advancedTo = nullptr;
    // The field just entered, nothing typed there yet: the first click into it selects it
    // rather than placing the cursor, so typing replaces the old value.
    QLineEdit* m_selectOnPress = nullptr;
    // Ctrl+A selected every field: the next digit starts a new address in the first one.
    bool m_wholeSelected = false;
};

} // namespace orxqt
