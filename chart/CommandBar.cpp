#include "chart/CommandBar.h"

#include "chart/ChartControl.h"
#include "chart/ChartIds.h"
#include "chart/ChartSettings.h"
#include "chart/ChartWidget.h"
#include "chart/SiteFill.h"
#include "platform/com/Variant.h"
#include "platform/ini/FileReplace.h"

#include <QApplication>
#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QToolButton>
#include <functional>

namespace kelvo {

CommandBarWidget::CommandBarWidget(std::int32_t* link, QSize designSize, QWidget* parent)
    : QWidget(parent), link_(link), designSize_(designSize) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    auto add = [&](const QString& text, std::function<void(ChartControl&)> action) {
        auto* button = new QToolButton(this);
        button->setText(text);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, action] {
            if (ChartControl* chart = Chart())
                action(*chart);
        });
    };
    add(tr("Zoom in"), [](ChartControl& chart) { chart.Zoom(0.5); });
    add(tr("Zoom out"), [](ChartControl& chart) { chart.Zoom(2); });
    add(tr("Left"), [](ChartControl& chart) { chart.Move(-0.1, 0); });
    add(tr("Right"), [](ChartControl& chart) { chart.Move(0.1, 0); });
    add(tr("Up"), [](ChartControl& chart) { chart.Move(0, 0.1); });
    add(tr("Down"), [](ChartControl& chart) { chart.Move(0, -0.1); });
    add(tr("Reset"), [](ChartControl& chart) { chart.ResetView(); });
    add(tr("Save..."), [this](ChartControl&) {
        const QString path = QFileDialog::getSaveFileName(this, tr("Save chart"), QString(),
                                                          tr("PNG image (*.png)"));
        if (!path.isEmpty())
            Save(path);
    });
    layout->addStretch();
}

ChartControl* CommandBarWidget::Chart() const {
    return ChartControl::FromLink(*link_);
}

bool CommandBarWidget::Save(const QString& path) const {
    ChartControl* chart = Chart();
    if (!chart)
        return false;
    const ChartSettings& settings = chart->Model().settings;
    const QSize size = chart->Widget() ? chart->Widget()->size()
                                       : QSize(settings.designWidth, settings.designHeight);
    // Through the one safe replacement of a file, like every file the program rewrites.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return chart->Image(size).save(&buffer, "PNG") &&
           ReplaceFileContents(
               path.toStdString(),
               std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

ResultCode CommandBarControl::Create(const Guid& interfaceId, void** object) {
    ComPointer<CommandBarControl> bar(new CommandBarControl);
    return bar->QueryInterface(interfaceId, object);
}

CommandBarControl::~CommandBarControl() {
    delete widget_.data();
}

ResultCode CommandBarControl::Invoke(std::int32_t dispatchId, InvokeKind kind,
                                     std::span<Variant> arguments, Variant* result) {
    if (std::this_thread::get_id() != thread_)
        return results::WrongThread;
    if (dispatchId != chart_members::CommandBarChartLink || kind == InvokeKind::Method)
        return results::MemberNotFound;
    // Any number is taken; one that names no chart leaves the buttons idle.
    return IntegerProperty(&link_, kind, arguments, result, [](std::int32_t) { return true; });
}

ResultCode CommandBarControl::Attach(QWidget* site) {
    if (!site)
        return results::NullPointer;
    if (std::this_thread::get_id() != thread_)
        return results::WrongThread;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || widget_)
        return results::Unexpected;
    widget_ = new CommandBarWidget(&link_, designSize_, site);
    SiteFill::Attach(site, widget_);
    widget_->show();
    return results::Ok;
}

ResultCode CommandBarControl::Load(std::string_view properties) {
    ChartSettings settings;
    settings.designWidth = designSize_.width();
    settings.designHeight = designSize_.height();
    const ResultCode result = ApplyProperties(properties, &settings);
    designSize_ = QSize(settings.designWidth, settings.designHeight);
    return result;
}

} // namespace kelvo
