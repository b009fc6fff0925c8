#include "platform/dialog/ModalLoops.h"

#include <QApplication>
#include <QWidget>

namespace kelvo::dialog {

void EndModalLoops() {
    // A hidden dialog leaves its loop and is no longer seen waiting for an answer.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isModal() && widget->isVisible()) {
            widget->hide();
        }
    }
    // Whatever runs a loop without being such a widget (a file dialog of the
    // desktop's own, a loop of its own) ends with every other loop of the
    // thread; loops started from now on return at once.
    QCoreApplication::exit(0);
}

} // namespace kelvo::dialog
