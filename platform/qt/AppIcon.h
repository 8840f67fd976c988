#pragma once
// The application icon: a device panel with an alarm lamp and a transfer arrow,
// drawn at run time in the two sizes a Windows icon resource holds.

#include <QIcon>
#include <QPixmap>

namespace orxqt {

inline constexpr int APP_ICON_LARGE = 32;
inline constexpr int APP_ICON_SMALL = 16;

QPixmap DrawAppIcon(int size);
QIcon AppIcon(); // both sizes

} // namespace orxqt
