#pragma once

#include <QIcon>

class QPainter;

namespace kelvo::resources {

// The installed icon theme's sizes.
inline constexpr int applicationIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The sizes a window gives the window manager. Larger pictures of the program
// come from the installed icon theme; these are copied to the X server each
// time a window is made, and the largest of the theme's alone is 256 KiB.
inline constexpr int windowIconSizes[] = {16, 24, 32, 48, 64};

// Draws the thermometer into the square (0, 0, size, size) of painter, so
// that the window icon and the installed icon files are the same picture.
void PaintApplicationIcon(QPainter& painter, int size);

// Resource 128: a thermometer, drawn for every size a desktop asks for, at
// the moment it asks.
QIcon ApplicationIcon();

} // namespace kelvo::resources
