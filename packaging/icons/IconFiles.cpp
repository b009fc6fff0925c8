#include "packaging/icons/IconFiles.h"

#include "monitor/resources/AppIcon.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace kelvo::packaging {
namespace {

// The drawing's own square; a desktop scales the picture from its view box.
constexpr int svgSize = 64;

} // namespace

QImage ApplicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    resources::PaintApplicationIcon(painter, size);
    return image;
}

QByteArray ApplicationIconSvg() {
    QByteArray svg;
    QBuffer buffer(&svg);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(svgSize, svgSize));
    generator.setViewBox(QRect(0, 0, svgSize, svgSize));
    generator.setTitle("Kelvo Monitor");
    generator.setDescription("A thermometer");
    QPainter painter(&generator);
    resources::PaintApplicationIcon(painter, svgSize);
    painter.end();
    return svg;
}

} // namespace kelvo::packaging
