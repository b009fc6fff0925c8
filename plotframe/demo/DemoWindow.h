#pragma once

#include "platform/com/Dispatch.h"

#include <QWidget>
#include <string>

class QComboBox;
class QLabel;

namespace kelvo {

// plotframe-demo's window: the PlotraFrm control on a site of its designed
// size, and buttons that add points, open a record file or a chart file,
// save, stream and decorate the chart through the control's members.
class DemoWindow : public QWidget {
public:
    DemoWindow();

    // Creates the control on its site; the result of the component layer.
    ResultCode CreateFrame();

    // Each reports what it did in the status line and gives false on failure
    // with the reason in *message.
    bool OpenFile(const std::string& path, std::string* message);
    bool Save(const std::string& folder, const std::string& name, std::string* message);
    bool Stream(std::int16_t type, std::string* message);
    bool ChangeBackDrop(const std::string& path, std::string* message);
    bool AddPoint(std::string* message);

private:
    ComPointer<Dispatch> FirstSeries();
    void Report(bool succeeded, const std::string& message);

    QWidget* site_;
    QLabel* status_;
    QComboBox* streamType_;
    ComPointer<Dispatch> frame_;
    ComPointer<Dispatch> chart_;
    double nextX_ = 0;
    double lastY_ = 22;
};

} // namespace kelvo
