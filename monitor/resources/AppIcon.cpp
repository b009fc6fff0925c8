#include "monitor/resources/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kelvo::resources {

void PaintApplicationIcon(QPainter& painter, int size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // Glass: a rounded stem over a round bulb, drawn as one outline.
    QPainterPath glass;
    glass.addRoundedRect(QRectF(24, 4, 16, 44), 8, 8);
    glass.addEllipse(QPointF(32, 48), 13, 13);
    glass = glass.simplified();
    painter.setPen(QPen(QColor(60, 60, 60), 3));
    painter.setBrush(QColor(245, 245, 245));
    painter.drawPath(glass);

    // Mercury: the bulb and a column two thirds up the stem.
    const QColor mercury(220, 30, 30);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mercury);
    painter.drawEllipse(QPointF(32, 48), 9, 9);
    painter.drawRoundedRect(QRectF(28.5, 18, 7, 32), 3.5, 3.5);

    // Scale marks on the stem's right.
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    for (int mark = 0; mark < 4; ++mark) {
        const double y = 10 + mark * 8;
        painter.drawLine(QPointF(42, y), QPointF(mark % 2 == 0 ? 50 : 47, y));
    }
    painter.restore();
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : applicationIconSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        PaintApplicationIcon(painter, size);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace kelvo::resources
