#include "platform/qt/DialogUnits.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace orxqt;

namespace {

// Base units of the original dialog font at 96 dpi: rounding halves up as there.
TEST(DialogUnits, ConvertLikeTheOriginalPlatformFromTheEightPointTemplateFont) {
    constexpr DialogBaseUnits SHELL_DLG_UNITS{6, 13};
    EXPECT_EQ(DialogRectToPixels(SHELL_DLG_UNITS, 6, 6, 320, 110), QRect(9, 10, 480, 179));
    EXPECT_EQ(DialogYToPixels(SHELL_DLG_UNITS, 1), 2); // 1.625
    EXPECT_EQ(DialogXToPixels(SHELL_DLG_UNITS, 3), 5); // 4.5
    EXPECT_EQ(DialogXToPixels(SHELL_DLG_UNITS, 1), 2); // 1.5
    const QFont font = DialogFont();
    EXPECT_EQ(font.pixelSize(), 11); // 8 points at 96 dpi
    const DialogBaseUnits units = BaseUnitsOf(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.y, metrics.height());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_NEAR(units.x, metrics.horizontalAdvance(letters) / double(letters.size()), 1.0);
}

} // namespace
