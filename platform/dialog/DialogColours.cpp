#include "platform/dialog/DialogColours.h"

namespace kelvo::dialog {
namespace {
std::optional<DialogColours> applicationColours;
} // namespace

void SetDialogColours(const QColor& background, const QColor& text) {
    applicationColours = DialogColours{background, text};
}

std::optional<DialogColours> ApplicationDialogColours() {
    return applicationColours;
}

} // namespace kelvo::dialog
