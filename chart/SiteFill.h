#pragma once

#include <QObject>

class QWidget;

namespace kelvo {

// Keeps a control's widget filling its host's site: placed at the site's
// origin with the site's size now and after every resize of the site.
class SiteFill : public QObject {
    Q_OBJECT
public:
    // The filler lives as a child of the control widget.
    static void Attach(QWidget* site, QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SiteFill(QWidget* site, QWidget* control);
    QWidget* site_;
    QWidget* control_;
};

} // namespace kelvo
