#include "platform/dialog/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace kelvo::dialog {

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is taken over the 52 Latin letters, the way dialog
    // base units have always been measured, rather than the font's own
    // average, which many fonts report as zero or as the width of "x".
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = metrics.horizontalAdvance(letters);
    return DialogBaseUnits{(total / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const DialogRect& rect, const DialogBaseUnits& units) {
    auto scale = [](int value, int base, int divisor) { return value * base / divisor; };
    const int left = scale(rect.x, units.horizontal, 4);
    const int top = scale(rect.y, units.vertical, 8);
    const int right = scale(rect.x + rect.width, units.horizontal, 4);
    const int bottom = scale(rect.y + rect.height, units.vertical, 8);
    return QRect(left, top, right - left, bottom - top);
}

QFont DialogFont(const DialogTemplate& dialogTemplate) {
    QFont font(QString::fromStdString(dialogTemplate.fontFamily), dialogTemplate.fontPointSize);
    // The templates name Windows fonts (SimSun, System) that a Linux desktop
    // rarely has; the desktop's general font at the same size keeps every
    // caption legible, where fontconfig's guess could pick a symbol font.
    // The list of installed families answers at once; matching the font to
    // find out costs a search of every font's fallbacks.
    if (!QFontDatabase::families().contains(font.family(), Qt::CaseInsensitive)) {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSize(dialogTemplate.fontPointSize);
    }
    return font;
}

} // namespace kelvo::dialog
