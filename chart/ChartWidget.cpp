#include "chart/ChartWidget.h"

#include <QPainter>

namespace kelvo {

ChartWidget::ChartWidget(const ChartModel& model, ChartDrawEvents* events, QSize designSize,
                         QWidget* parent)
    : QWidget(parent), model_(model), events_(events), designSize_(designSize) {
    // Every pixel is painted, so Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartWidget::paintEvent(QPaintEvent*) {
    ++paintCount_;
    QPainter painter(this);
    renderer_.PaintFrame(painter, rect(), model_, events_);
}

} // namespace kelvo
