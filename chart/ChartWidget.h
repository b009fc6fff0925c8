#pragma once

#include "chart/ChartRenderer.h"

#include <QWidget>

namespace kelvo {

// Shows a chart model. Changes ask for a repaint with update(), so any number
// of changes between two frames cost one paint, and a paint redraws only what
// changed since the frame before.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    ChartWidget(const ChartModel& model, ChartDrawEvents* events, QSize designSize,
                QWidget* parent);

    int PaintCount() const { return paintCount_; }
    // For a change the model does not show (a new backdrop, a model put in
    // place of the old one): the next paint draws everything anew.
    void ForgetKeptLayers() { renderer_.Invalidate(); }
    QSize sizeHint() const override { return designSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ChartModel& model_;
    ChartDrawEvents* events_;
    QSize designSize_;
    ChartRenderer renderer_;
    int paintCount_ = 0;
};

} // namespace kelvo
