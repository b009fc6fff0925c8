#pragma once

#include <QWidget>

namespace kelvo {

class ChartModel;
class ChartDrawEvents;

// Shows a chart model. Changes ask for a repaint with update(), so any number
// of changes between two frames cost one paint.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    ChartWidget(const ChartModel& model, ChartDrawEvents* events, QSize designSize,
                QWidget* parent);

    int PaintCount() const { return paintCount_; }
    QSize sizeHint() const override { return designSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ChartModel& model_;
    ChartDrawEvents* events_;
    QSize designSize_;
    int paintCount_ = 0;
};

} // namespace kelvo
