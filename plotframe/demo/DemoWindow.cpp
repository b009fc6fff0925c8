#include "plotframe/demo/DemoWindow.h"

#include "chart/ChartIds.h"
#include "platform/com/Creation.h"
#include "platform/com/Variant.h"
#include "platform/ini/FileReplace.h"
#include "plotframe/PlotFrameIds.h"
#include "plotframe/demo/RecordCsv.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTime>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>

namespace kelvo {

namespace {

std::string ResultText(ResultCode result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

bool EndsWith(const std::string& text, const char* end) {
    const std::string suffix(end);
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

DemoWindow::DemoWindow() {
    setWindowTitle(QStringLiteral("plotframe-demo"));
    site_ = new QWidget(this);
    site_->setFixedSize(PlotraFrmWidth, PlotraFrmHeight);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    streamType_ = new QComboBox(this);
    streamType_->addItem(QStringLiteral("0: chart file"), 0);
    streamType_->addItem(QStringLiteral("1: PNG picture"), 1);
    streamType_->addItem(QStringLiteral("2: nothing"), 2);

    auto button = [this](const char* text, auto action) {
        auto* pushButton = new QPushButton(QString::fromUtf8(text), this);
        connect(pushButton, &QPushButton::clicked, this, action);
        return pushButton;
    };
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(button("Add point", [this] {
        std::string message;
        Report(AddPoint(&message), message);
    }));
    buttons->addWidget(button("Open record or chart file...", [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Open"), QString(),
            QStringLiteral("Record files (*.csv);;Chart files (*.pcht);;All files (*)"));
        std::string message;
        if (!path.isEmpty())
            Report(OpenFile(path.toStdString(), &message), message);
    }));
    buttons->addWidget(button("Save chart (MySaveToFile)...", [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save chart"),
                                                          QStringLiteral("chart.pcht"),
                                                          QStringLiteral("Chart files (*.pcht)"));
        if (path.isEmpty())
            return;
        const std::filesystem::path file = path.toStdString();
        std::string message;
        Report(Save(file.parent_path().string() + "/", file.filename().string(), &message),
               message);
    }));
    auto* streamRow = new QHBoxLayout;
    streamRow->addWidget(streamType_);
    streamRow->addWidget(button("Stream (MyStreamChart)", [this] {
        std::string message;
        Report(Stream(static_cast<std::int16_t>(streamType_->currentData().toInt()), &message),
               message);
    }));
    buttons->addLayout(streamRow);
    buttons->addWidget(button("Backdrop picture (ChangeBackDrop)...", [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Backdrop picture"), QString(),
            QStringLiteral("Pictures (*.png *.jpg *.bmp);;All files (*)"));
        std::string message;
        if (!path.isEmpty())
            Report(ChangeBackDrop(path.toStdString(), &message), message);
    }));
    buttons->addStretch();
    buttons->addWidget(status_);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(site_, 0, Qt::AlignTop);
    layout->addLayout(buttons);
    status_->setFixedWidth(260);
}

ResultCode DemoWindow::CreateFrame() {
    ResultCode result = HostControl(PlotraFrmClassId, site_, "", &frame_);
    Variant chart;
    if (Succeeded(result))
        result = GetProperty(frame_.Get(), frame_members::PChart1, &chart);
    if (Succeeded(result))
        result = chart.ToObject(&chart_);
    return result;
}

ComPointer<Dispatch> DemoWindow::FirstSeries() {
    Variant series;
    ComPointer<Dispatch> object;
    if (Succeeded(CallMethod(chart_.Get(), chart_members::Series, {std::int32_t{0}}, &series)))
        series.ToObject(&object);
    return object;
}

void DemoWindow::Report(bool, const std::string& message) {
    status_->setText(QString::fromStdString(message));
}

bool DemoWindow::AddPoint(std::string* message) {
    ComPointer<Dispatch> series = FirstSeries();
    lastY_ += (QRandomGenerator::global()->bounded(200) - 100) / 100.0;
    const std::string label = QTime::currentTime().toString("HH:mm:ss").toStdString();
    const ResultCode result =
        CallMethod(series.Get(), chart_members::AddPoint, {nextX_, lastY_, label, std::int32_t{0}});
    if (Failed(result)) {
        *message = "The chart refused the point (" + ResultText(result) + ").";
        return false;
    }
    ++nextX_;
    *message = "Added " + std::to_string(lastY_) + " at " + label + ".";
    return true;
}

bool DemoWindow::OpenFile(const std::string& path, std::string* message) {
    if (EndsWith(path, ".pcht")) {
        Variant exporters;
        Variant native;
        ComPointer<Dispatch> object;
        ResultCode result = GetProperty(chart_.Get(), chart_members::Export, &exporters);
        if (Succeeded(result) && Succeeded(result = exporters.ToObject(&object)))
            result = GetProperty(object.Get(), chart_members::NativeExport, &native);
        if (Succeeded(result) && Succeeded(result = native.ToObject(&object)))
            result = CallMethod(object.Get(), chart_members::LoadFromFile, {path});
        *message = Succeeded(result)
                       ? "Opened the chart file " + path + "."
                       : "The chart could not open " + path + " (" + ResultText(result) + ").";
        return Succeeded(result);
    }
    std::string text;
    if (ReadWholeFile(path, text) != FileReadResult::read) {
        *message = "Cannot read " + path + ".";
        return false;
    }
    const RecordReadResult rows = ReadRecordRows(text);
    if (rows.points.empty()) {
        *message = path + " holds no record rows.";
        return false;
    }
    ComPointer<Dispatch> series = FirstSeries();
    ResultCode result = CallMethod(series.Get(), chart_members::Clear, {});
    nextX_ = 0;
    for (const RecordPoint& point : rows.points) {
        if (Failed(result))
            break;
        result = CallMethod(series.Get(), chart_members::AddPoint,
                            {nextX_++, point.inner, point.time, std::int32_t{0}});
        lastY_ = point.inner;
    }
    if (Failed(result)) {
        *message = "The chart refused a point (" + ResultText(result) + ").";
        return false;
    }
    *message =
        "Opened " + std::to_string(rows.points.size()) + " rows of " + path +
        (rows.skipped ? " (" + std::to_string(rows.skipped) + " damaged rows skipped)." : ".");
    return true;
}

bool DemoWindow::Save(const std::string& folder, const std::string& name, std::string* message) {
    const ResultCode result = CallMethod(frame_.Get(), frame_members::MySaveToFile, {folder, name});
    *message = Succeeded(result)
                   ? "Saved " + folder + name + "."
                   : "Could not save " + folder + name + " (" + ResultText(result) + ").";
    return Succeeded(result);
}

bool DemoWindow::Stream(std::int16_t type, std::string* message) {
    Variant stream;
    const ResultCode result =
        CallMethod(frame_.Get(), frame_members::MyStreamChart, {type}, &stream);
    if (Failed(result)) {
        *message = "MyStreamChart failed (" + ResultText(result) + ").";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (Failed(stream.ToBytes(&bytes))) {
        *message = "MyStreamChart(" + std::to_string(type) + ") gave an empty value.";
        return true;
    }
    *message = "MyStreamChart(" + std::to_string(type) + ") gave " + std::to_string(bytes.size()) +
               " bytes";
    QImage picture;
    if (type == 1 && picture.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG"))
        *message += ": a PNG of " + std::to_string(picture.width()) + " x " +
                    std::to_string(picture.height()) + " pixels.";
    else
        *message +=
            ", starting \"" +
            std::string(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 12)) +
            "\".";
    return true;
}

bool DemoWindow::ChangeBackDrop(const std::string& path, std::string* message) {
    const ResultCode result = CallMethod(frame_.Get(), frame_members::ChangeBackDrop, {path});
    *message = Succeeded(result) ? "The backdrop is " + path + "."
                                 : "Could not load " + path + " (" + ResultText(result) + ").";
    return Succeeded(result);
}

} // namespace kelvo
