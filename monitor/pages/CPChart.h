#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

namespace kelvo {

// The chart control hosted on the chart page, reached by late binding.
class CPChart {
public:
    // Creates the chart inside site from its stored properties.
    ResultCode Create(QWidget* site, std::string_view properties);
    bool IsCreated() const { return control.Get() != nullptr; }

    std::int32_t GetChartLink() const;
    // The series' interface, released after each use and never kept.
    ComPointer<Dispatch> Series(std::int32_t index) const;

    // The series operations, on the interface Series gives.
    static ResultCode AddPoint(Dispatch* series, double x, double y, const std::string& label,
                               std::int32_t colour);
    static ResultCode Clear(Dispatch* series);

    Dispatch* Control() const { return control.Get(); }

private:
    ComPointer<Dispatch> control;
};

// The chart's command bar, linked to one chart.
class CPlotraCommander {
public:
    ResultCode Create(QWidget* site, std::string_view properties);
    bool IsCreated() const { return control.Get() != nullptr; }
    ResultCode SetChartLink(std::int32_t link);

private:
    ComPointer<Dispatch> control;
};

} // namespace kelvo
