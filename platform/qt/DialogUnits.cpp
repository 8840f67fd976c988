#include "platform/qt/DialogUnits.h"

#include <QFontMetrics>
#include <QString>

namespace orxqt {

namespace {

// The templates were drawn for 96 pixels per inch; a point is 1/72 inch.
constexpr int DESIGN_DPI = 96;
constexpr int POINTS_PER_INCH = 72;
constexpr int LETTERS_IN_SAMPLE = 26;
constexpr int X_DIVISOR = 4;
constexpr int Y_DIVISOR = 8;

// The Windows dialog faces do not exist here; a plain sans face of the same size
// keeps captions at the width the templates were laid out for.
constexpr const char* SUBSTITUTE_FACE = "DejaVu Sans";

int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

QFont DialogFont(const char* face, int points) {
    const QString requested = QString::fromLatin1(face);
    const bool windowsFace = requested == QLatin1String(TEMPLATE_FONT_FACE) ||
                             requested == QLatin1String("MS Sans Serif");
    QFont font(windowsFace ? QString::fromLatin1(SUBSTITUTE_FACE) : requested);
    font.setStyleHint(QFont::SansSerif);
    font.setStyleStrategy(QFont::PreferDefault);
    // Pixel size rather than point size, so the layout does not depend on the
    // screen's reported resolution (8 pt at 96 dpi is 11 px, as on Windows).
    font.setPixelSize(MulDiv(points, DESIGN_DPI, POINTS_PER_INCH));
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = metrics.horizontalAdvance(sample);
    DialogBaseUnits units;
    units.x = (total / LETTERS_IN_SAMPLE + 1) / 2;
    units.y = metrics.height();
    return units;
}

int DialogXToPixels(const DialogBaseUnits& units, int du) {
    return MulDiv(du, units.x, X_DIVISOR);
}

int DialogYToPixels(const DialogBaseUnits& units, int du) {
    return MulDiv(du, units.y, Y_DIVISOR);
}

QRect DialogRectToPixels(const DialogBaseUnits& units, int x, int y, int width, int height) {
    return QRect(DialogXToPixels(units, x), DialogYToPixels(units, y),
                 DialogXToPixels(units, width), DialogYToPixels(units, height));
}

} // namespace orxqt
