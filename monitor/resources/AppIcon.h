#pragma once

#include <QIcon>

class QPainter;

namespace kelvo::resources {

// The sizes the window icon is drawn in, and the installed icon theme's sizes.
inline constexpr int applicationIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Draws the thermometer into the square (0, 0, size, size) of painter, so
// that the window icon and the installed icon files are the same picture.
void PaintApplicationIcon(QPainter& painter, int size);

// Resource 128: a thermometer, drawn for every size a desktop asks for.
QIcon ApplicationIcon();

} // namespace kelvo::resources
