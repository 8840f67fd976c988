#include "platform/qt/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace orxqt {

namespace {

// Drawn on a 32-unit grid and scaled, so both sizes share one picture.
constexpr qreal GRID = 32.0;

void DrawPanel(QPainter& p) {
    p.setPen(QPen(QColor(0, 0, 80), 1.5));
    p.setBrush(QColor(0, 64, 160));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 5, 5);
}

void DrawLamp(QPainter& p) {
    p.setPen(QPen(QColor(128, 0, 0), 1.2));
    p.setBrush(QColor(255, 64, 32));
    p.drawEllipse(QPointF(11, 11), 6.5, 6.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 160));
    p.drawEllipse(QPointF(9, 9), 2, 2);
}

void DrawArrow(QPainter& p) {
    QPainterPath arrow;
    arrow.moveTo(6, 22);
    arrow.lineTo(20, 22);
    arrow.lineTo(20, 18);
    arrow.lineTo(28, 24);
    arrow.lineTo(20, 30 - 0.5);
    arrow.lineTo(20, 26);
    arrow.lineTo(6, 26);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(QColor(255, 255, 0));
    p.drawPath(arrow);
}

} // namespace

QPixmap DrawAppIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / GRID, size / GRID);
    DrawPanel(p);
    DrawLamp(p);
    DrawArrow(p);
    return pixmap;
}

QIcon AppIcon() {
    QIcon icon;
    icon.addPixmap(DrawAppIcon(APP_ICON_LARGE));
    icon.addPixmap(DrawAppIcon(APP_ICON_SMALL));
    return icon;
}

} // namespace orxqt
