#include "monitor/pages/CPChart.h"

#include "chart/ChartIds.h"
#include "platform/com/Creation.h"
#include "platform/com/Variant.h"

namespace kelvo {

ResultCode CPChart::Create(QWidget* site, std::string_view properties) {
    return HostControl(ChartClassId, site, properties, &control);
}

std::int32_t CPChart::GetChartLink() const {
    Variant link;
    std::int32_t value = 0;
    if (Failed(GetProperty(control.Get(), chart_members::ChartLink, &link)) ||
        Failed(link.ToInteger(&value))) {
        return 0;
    }
    return value;
}

ComPointer<Dispatch> CPChart::Series(std::int32_t index) const {
    Variant series;
    ComPointer<Dispatch> object;
    if (Succeeded(CallMethod(control.Get(), chart_members::Series, {Variant(index)}, &series))) {
        series.ToObject(&object);
    }
    return object;
}

ResultCode CPChart::AddPoint(Dispatch* series, double x, double y, const std::string& label,
                             std::int32_t colour) {
    return CallMethod(series, chart_members::AddPoint,
                      {Variant(x), Variant(y), Variant(label), Variant(colour)});
}

ResultCode CPChart::Clear(Dispatch* series) {
    return CallMethod(series, chart_members::Clear, {});
}

ResultCode CPlotraCommander::Create(QWidget* site, std::string_view properties) {
    return HostControl(CommandBarClassId, site, properties, &control);
}

ResultCode CPlotraCommander::SetChartLink(std::int32_t link) {
    return PutProperty(control.Get(), chart_members::CommandBarChartLink, Variant(link));
}

} // namespace kelvo
