#include "platform/qt/DialogUnits.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace orxqt;

namespace {

// Base units of the original dialog font at 96 dpi, and the main dialog's size in them.
constexpr DialogBaseUnits WINDOWS_SHELL_DLG_UNITS{6, 13};
constexpr int MAIN_WIDTH_DU = 320;
constexpr int MAIN_HEIGHT_DU = 110;
constexpr int MAIN_WIDTH_PX_ON_WINDOWS = 480;
constexpr int MAIN_HEIGHT_PX_ON_WINDOWS = 179;

} // namespace

TEST(DialogUnits, ConvertsLikeTheOriginalPlatform) {
    const QRect rect =
        DialogRectToPixels(WINDOWS_SHELL_DLG_UNITS, 6, 6, MAIN_WIDTH_DU, MAIN_HEIGHT_DU);
    EXPECT_EQ(rect, QRect(9, 10, MAIN_WIDTH_PX_ON_WINDOWS, MAIN_HEIGHT_PX_ON_WINDOWS));
    // 1 * 13 / 8 = 1.625 and 3 * 6 / 4 = 4.5 round up; 1 * 6 / 4 = 1.5 rounds up too.
    EXPECT_EQ(DialogYToPixels(WINDOWS_SHELL_DLG_UNITS, 1), 2);
    EXPECT_EQ(DialogXToPixels(WINDOWS_SHELL_DLG_UNITS, 3), 5);
    EXPECT_EQ(DialogXToPixels(WINDOWS_SHELL_DLG_UNITS, 1), 2);
    EXPECT_EQ(DialogXToPixels(WINDOWS_SHELL_DLG_UNITS, 0), 0);
}

TEST(DialogUnits, BaseUnitsFollowTheFont) {
    const QFont font = DialogFont();
    const DialogBaseUnits units = BaseUnitsOf(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.y, metrics.height());
    // Half the average letter width, rounded: within a pixel of the metrics' own average.
    constexpr double HALF_LETTERS = 52.0;
    const double average = metrics.horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           HALF_LETTERS;
    EXPECT_NEAR(units.x, average, 1.0);

    QFont larger = font;
    larger.setPixelSize(font.pixelSize() * 2);
    const DialogBaseUnits doubled = BaseUnitsOf(larger);
    EXPECT_GT(doubled.x, units.x);
    EXPECT_GT(doubled.y, units.y);
}

TEST(DialogUnits, TemplateFontIsEightPointAtDesignResolution) {
    // 8 pt at 96 dpi: the height the original asks the font mapper for.
    constexpr int EXPECTED_PIXELS = 11;
    EXPECT_EQ(DialogFont().pixelSize(), EXPECTED_PIXELS);
    EXPECT_EQ(DialogFont("Sans", 12).pixelSize(), 16);
}
