#include "platform/qt/DialogUnits.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace orxqt;

namespace {

// Base units of the original dialog font at 96 dpi, and the main dialog's size in them.
constexpr DialogBaseUnits WINDOWS_SHELL_DLG_UNITS{6, 13};
constexpr int MAIN_WIDTH_DU = 320;
constexpr int MAIN_HEIGHT_DU = 110;

TEST(DialogUnits, ConvertsLikeTheOriginalPlatformRoundingHalvesUp) {
    EXPECT_EQ(DialogRectToPixels(WINDOWS_SHELL_DLG_UNITS, 6, 6, MAIN_WIDTH_DU, MAIN_HEIGHT_DU),
              QRect(9, 10, 480, 179));
    EXPECT_EQ(DialogYToPixels(WINDOWS_SHELL_DLG_UNITS, 1), 2); // 1.625
    EXPECT_EQ(DialogXToPixels(WINDOWS_SHELL_DLG_UNITS, 3), 5); // 4.5
    EXPECT_EQ(DialogXToPixels(WINDOWS_SHELL_DLG_UNITS, 1), 2); // 1.5
}

TEST(DialogUnits, BaseUnitsFollowTheEightPointTemplateFont) {
    constexpr int EIGHT_POINTS_AT_96_DPI = 11;
    constexpr double LETTERS = 52.0;
    const QFont font = DialogFont();
    EXPECT_EQ(font.pixelSize(), EIGHT_POINTS_AT_96_DPI);
    const DialogBaseUnits units = BaseUnitsOf(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.y, metrics.height());
    const double average = metrics.horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           LETTERS;
    EXPECT_NEAR(units.x, average, 1.0);
}

} // namespace
