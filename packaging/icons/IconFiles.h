#pragma once

#include <QByteArray>
#include <QImage>

namespace kelvo::packaging {

// The window icon's thermometer as an image of size x size pixels, for the
// icon theme's fixed sizes.
QImage ApplicationIconImage(int size);

// The same drawing as a scalable picture, for the theme's scalable folder.
QByteArray ApplicationIconSvg();

} // namespace kelvo::packaging
