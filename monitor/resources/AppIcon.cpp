#include "monitor/resources/AppIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

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

namespace {

// Draws the thermometer at whatever size is asked for, when it is asked for.
class ThermometerIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const int side = std::min(rect.width(), rect.height());
        painter->save();
        painter->translate(rect.topLeft());
        PaintApplicationIcon(*painter, side);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const int side = std::max(1, std::min(size.width(), size.height()));
        QPixmap picture(side, side);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, QRect(0, 0, side, side), mode, state);
        return picture;
    }

    // The sizes a window hands to the window manager as its icon: each one
    // is copied into the window's properties whenever the window is made.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : windowIconSizes) {
            sizes.append(QSize(size, size));
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new ThermometerIconEngine; }
    QString key() const override { return QStringLiteral("kelvo-thermometer"); }
};

} // namespace

QIcon ApplicationIcon() {
    return QIcon(new ThermometerIconEngine);
}

} // namespace kelvo::resources
