#include "chart/ChartSeries.h"

#include "chart/ChartControl.h"
#include "chart/ChartIds.h"
#include "chart/ChartMembers.h"
#include "platform/com/Variant.h"

#include <cmath>
#include <limits>

namespace kelvo {

ChartSeries::ChartSeries(ChartControl* chart, std::size_t index)
    : keepAlive_(static_cast<Dispatch*>(chart)), chart_(chart), index_(index) {}

ResultCode ChartSeries::Invoke(std::int32_t dispatchId, InvokeKind kind,
                               std::span<Variant> arguments, Variant* result) {
    if (!chart_->OnOwnThread())
        return results::WrongThread;
    if (index_ >= chart_->Model().points.size())
        return results::BadIndex;
    if (kind != InvokeKind::Method || dispatchId == chart_members::CalcXPos ||
        dispatchId == chart_members::CalcYPos)
        return InvokeMore(dispatchId, kind, arguments, result);
    if (dispatchId == chart_members::AddPoint) {
        if (ResultCode check = ExpectArguments(arguments, 4); Failed(check))
            return check;
        double x = 0;
        double y = 0;
        std::string label;
        std::int32_t colour = 0;
        for (ResultCode check : {arguments[0].ToDouble(&x), arguments[1].ToDouble(&y),
                                 arguments[2].ToText(&label), arguments[3].ToInteger(&colour)})
            if (Failed(check))
                return check;
        // A fast line draws every point in its series' colour, so the point's
        // own colour is accepted and not kept.
        std::size_t index = 0;
        const ResultCode added = chart_->AddPoint(index_, x, y, label, &index);
        if (Succeeded(added) && result)
            *result = Variant(static_cast<std::int32_t>(index));
        return added;
    }
    if (dispatchId == chart_members::Clear) {
        if (ResultCode check = ExpectArguments(arguments, 0); Failed(check))
            return check;
        return chart_->ClearSeries(index_);
    }
    return results::MemberNotFound;
}

ResultCode ChartSeries::InvokeMore(std::int32_t dispatchId, InvokeKind kind,
                                   std::span<Variant> arguments, Variant* result) {
    const PointStore& store = chart_->Model().points[index_];
    if (dispatchId == chart_members::PointCount && kind == InvokeKind::PropertyGet) {
        // AddPoint keeps the count within 32 bits.
        return ReturnProperty(arguments, result, Variant(static_cast<std::int32_t>(store.Count())));
    }
    if ((dispatchId == chart_members::Pointer || dispatchId == chart_members::YValues) &&
        kind == InvokeKind::PropertyGet) {
        const auto member = dispatchId == chart_members::Pointer ? ChartMember::Kind::SeriesPointer
                                                                 : ChartMember::Kind::SeriesValues;
        return ReturnProperty(arguments, result,
                              ComPointer<Dispatch>(new ChartMember(chart_, member, index_)));
    }
    if (dispatchId == chart_members::Transparency && kind != InvokeKind::Method) {
        if (index_ >= chart_->Settings().series.size())
            return results::BadIndex;
        const ResultCode done =
            IntegerProperty(&chart_->Settings().series[index_].transparency, kind, arguments,
                            result, [](std::int32_t value) { return value >= 0 && value <= 100; });
        if (Succeeded(done) && kind == InvokeKind::PropertyPut)
            chart_->Changed();
        return done;
    }
    if ((dispatchId == chart_members::CalcXPos || dispatchId == chart_members::CalcYPos) &&
        kind != InvokeKind::PropertyPut) {
        if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
            return check;
        std::int32_t point = 0;
        if (ResultCode check = arguments[0].ToInteger(&point); Failed(check))
            return check;
        if (point < 0 || static_cast<std::size_t>(point) >= store.Count())
            return results::BadIndex;
        const ChartLayout& layout = chart_->Layout();
        const auto index = static_cast<std::size_t>(point);
        const double pixel = dispatchId == chart_members::CalcXPos ? layout.PixelX(store.X(index))
                                                                   : layout.PixelY(store.Y(index));
        const double rounded = std::nearbyint(pixel);
        if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
              rounded <= std::numeric_limits<std::int32_t>::max()))
            return results::Overflow;
        if (result)
            *result = Variant(static_cast<std::int32_t>(rounded));
        return results::Ok;
    }
    return results::MemberNotFound;
}

} // namespace kelvo
