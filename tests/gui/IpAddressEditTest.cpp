#include "platform/qt/IpAddressEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using orxqt::IpAddressEdit;
using Fields = std::array<quint8, IpAddressEdit::FIELD_COUNT>;

namespace {

constexpr quint32 ADDRESS_10_1_2_250 = 0x0A0102FA;

// Types each character into whichever widget has the focus at that moment, as a user would.
void Type(const QString& text) {
    for (const QChar ch : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(ch));
}

struct ShownEdit {
    ShownEdit() {
        edit.show();
        edit.activateWindow();
        edit.field(0)->setFocus();
        QApplication::processEvents();
    }
    IpAddressEdit edit;
};

TEST(IpAddressEdit, SetAddressFillsFieldsHighByteFirstAndEmptyFieldsReadZeroUncounted) {
    IpAddressEdit edit;
    edit.setAddress(ADDRESS_10_1_2_250);
    Fields fields{};
    EXPECT_EQ(edit.address(fields), IpAddressEdit::FIELD_COUNT);
    EXPECT_EQ(fields, (Fields{10, 1, 2, 250}));
    edit.field(1)->clear();
    edit.field(3)->clear();
    EXPECT_EQ(edit.address(fields), 2);
    EXPECT_EQ(fields, (Fields{10, 0, 2, 0}));
}

TEST(IpAddressEdit, TypingMovesOnAfterADotOrThreeDigits) {
    ShownEdit shown;
    // Three digits move on by themselves; the dot in the empty field is then swallowed.
    Type(QStringLiteral("127.0.0.1"));
    Fields fields{};
    EXPECT_EQ(shown.edit.address(fields), IpAddressEdit::FIELD_COUNT);
    EXPECT_EQ(fields, (Fields{127, 0, 0, 1}));
    EXPECT_EQ(QApplication::focusWidget(), shown.edit.field(3));
}

TEST(IpAddressEdit, ValuesAreClampedAndLettersRefused) {
    ShownEdit shown;
    QTest::keyClicks(shown.edit.field(0), QStringLiteral("999"));
    EXPECT_EQ(shown.edit.field(0)->text(), QStringLiteral("255"));
    QTest::keyClicks(shown.edit.field(1), QStringLiteral("3x"));
    EXPECT_EQ(shown.edit.field(1)->text(), QStringLiteral("3"));
}

TEST(IpAddressEdit, BackspaceInAnEmptyFieldGoesBack) {
    ShownEdit shown;
    Type(QStringLiteral("12."));
    ASSERT_EQ(QApplication::focusWidget(), shown.edit.field(1));
    QTest::keyClick(shown.edit.field(1), Qt::Key_Backspace);
    ASSERT_EQ(QApplication::focusWidget(), shown.edit.field(0));
    QTest::keyClick(shown.edit.field(0), Qt::Key_Backspace);
    EXPECT_EQ(shown.edit.field(0)->text(), QStringLiteral("1"));
}

} // namespace
