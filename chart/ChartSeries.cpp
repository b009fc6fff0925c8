#include "chart/ChartSeries.h"

#include "chart/ChartControl.h"
#include "chart/ChartIds.h"
#include "platform/com/Variant.h"

namespace kelvo {

ChartSeries::ChartSeries(ChartControl* chart, std::size_t index)
    : keepAlive_(static_cast<Dispatch*>(chart)), chart_(chart), index_(index) {}

ResultCode ChartSeries::Invoke(std::int32_t dispatchId, InvokeKind kind,
                               std::span<Variant> arguments, Variant* result) {
    if (!chart_->OnOwnThread())
        return results::WrongThread;
    if (kind != InvokeKind::Method)
        return results::MemberNotFound;
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

} // namespace kelvo
