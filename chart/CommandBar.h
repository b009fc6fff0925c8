#pragma once

#include "platform/com/Control.h"
#include "platform/com/Dispatch.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <thread>

namespace kelvo {

class ChartControl;

// The command bar's buttons: zoom, move, reset and save, on the linked chart.
class CommandBarWidget : public QWidget {
    Q_OBJECT
public:
    CommandBarWidget(std::int32_t* link, QSize designSize, QWidget* parent);
    QSize sizeHint() const override { return designSize_; }

    // The chart the bar acts on, or null when the link names no live chart.
    ChartControl* Chart() const;
    // Writes the chart as a PNG image of its widget's size; false on failure.
    bool Save(const QString& path) const;

private:
    std::int32_t* link_;
    QSize designSize_;
};

// The command bar control: it acts on the chart whose link value was written
// into its own chart link member.
class CommandBarControl final : public Object<Dispatch, Control, PersistProperties> {
public:
    static ResultCode Create(const Guid& interfaceId, void** object);

    ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override;
    ResultCode Attach(QWidget* site) override;
    // Only the design size ("Width", "Height") means anything to the bar.
    ResultCode Load(std::string_view properties) override;

    CommandBarWidget* Widget() const { return widget_; }

private:
    CommandBarControl() : thread_(std::this_thread::get_id()) {}
    ~CommandBarControl() override;

    std::int32_t link_ = 0;
    QSize designSize_{400, 30};
    QPointer<CommandBarWidget> widget_;
    std::thread::id thread_;
};

} // namespace kelvo
