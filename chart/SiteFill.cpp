#include "chart/SiteFill.h"

#include <QEvent>
#include <QWidget>

namespace kelvo {

SiteFill::SiteFill(QWidget* site, QWidget* control)
    : QObject(control), site_(site), control_(control) {}

void SiteFill::Attach(QWidget* site, QWidget* control) {
    auto* fill = new SiteFill(site, control);
    control->setGeometry(site->rect());
    site->installEventFilter(fill);
}

bool SiteFill::eventFilter(QObject* watched, QEvent* event) {
    if (watched == site_ && event->type() == QEvent::Resize)
        control_->setGeometry(site_->rect());
    return false;
}

} // namespace kelvo
