#pragma once
// Four fields of 0 to 255 separated by dots, behaving like the classic address control:
// '.' or a third digit moves on to the next field, Backspace in an empty field moves
// back, values above 255 are clamped.

#include <QFrame>

#include <array>

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
    void onEdited(int index);
    void focusField(int index, bool atEnd);
    int indexOf(QObject* watched) const;

    std::array<QLineEdit*, FIELD_COUNT> m_fields{};
};

} // namespace orxqt
