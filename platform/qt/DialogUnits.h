#pragma once
// Dialog templates are measured in dialog units, which scale with the dialog font.
// The conversion follows the classic rule: the horizontal base unit is the average
// width of "A-Za-z" in the font, the vertical one the font's height; a dialog unit is
// a quarter of the first and an eighth of the second.

#include <QFont>
#include <QRect>

namespace orxqt {

struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// Face and size the templates ask for ("MS Shell Dlg", 8 point).
inline constexpr const char* TEMPLATE_FONT_FACE = "MS Shell Dlg";
inline constexpr int TEMPLATE_FONT_POINTS = 8;

// The font a template's face and point size stand for here.
QFont DialogFont(const char* face = TEMPLATE_FONT_FACE, int points = TEMPLATE_FONT_POINTS);

DialogBaseUnits BaseUnitsOf(const QFont& font);

// MulDiv-style rounding: du * base / divisor, rounded half away from zero.
int DialogXToPixels(const DialogBaseUnits& units, int du);
int DialogYToPixels(const DialogBaseUnits& units, int du);
QRect DialogRectToPixels(const DialogBaseUnits& units, int x, int y, int width, int height);

} // namespace orxqt
