#pragma once

#include <QColor>

#include <optional>

namespace kelvo::dialog {

// The background and text colours every dialog of the application paints,
// set once at start-up; without them dialogs keep the desktop's colours.
struct DialogColours {
    QColor background;
    QColor text;
};

void SetDialogColours(const QColor& background, const QColor& text);
std::optional<DialogColours> ApplicationDialogColours();

// What a dialog's colour handler decides for one static control.
struct ControlColours {
    QColor text;
    QColor background;
    bool transparent = false; // let the dialog's background show through
};

} // namespace kelvo::dialog
