#pragma once

#include "platform/dialog/DialogTemplate.h"

#include <QFont>
#include <QRect>

namespace kelvo::dialog {

// Pixels per four horizontal and per eight vertical dialog units, from a font.
struct DialogBaseUnits {
    int horizontal = 0; // average character width in pixels
    int vertical = 0;   // character height in pixels
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// Dialog units to pixels: x scales by horizontal / 4, y by vertical / 8.
QRect MapDialogRect(const DialogRect& rect, const DialogBaseUnits& units);

// The font a template names, or a stand-in where the platform lacks it.
QFont DialogFont(const DialogTemplate& dialogTemplate);

} // namespace kelvo::dialog
