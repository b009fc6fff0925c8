#include "platform/dialog/TabControl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace kelvo::dialog {

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar(new QTabBar(this)) {
    bar->setDrawBase(false);
    bar->setExpanding(false);
    connect(bar, &QTabBar::currentChanged, this, [this](int) {
        if (!settingSelection) {
            Q_EMIT SelectionChanged();
        }
    });
}

int TabControl::InsertItem(int index, const QString& text) {
    const bool wasSetting = settingSelection;
    settingSelection = true; // the first tab becomes current without a user's pick
    const int inserted = bar->insertTab(index, text);
    settingSelection = wasSetting;
    bar->resize(bar->sizeHint().width(), bar->sizeHint().height());
    return inserted;
}

int TabControl::GetItemCount() const {
    return bar->count();
}

QString TabControl::GetItemText(int index) const {
    return bar->tabText(index);
}

int TabControl::GetCurSel() const {
    return bar->currentIndex();
}

void TabControl::SetCurSel(int index) {
    settingSelection = true;
    bar->setCurrentIndex(index);
    settingSelection = false;
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, bar->height() - 1, 0, 0);
    frame.tabBarSize = bar->size();
    frame.shape = QTabBar::RoundedNorth;
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

void TabControl::resizeEvent(QResizeEvent*) {
    bar->resize(std::min(width(), bar->sizeHint().width()), bar->sizeHint().height());
}

} // namespace kelvo::dialog
