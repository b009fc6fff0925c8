#include "monitor/pages/CCurvePage.h"

#include "monitor/core/LocalTime.h"
#include "monitor/resources/ChartProperties.h"
#include "monitor/resources/Templates.h"
#include "platform/dialog/UiThread.h"

namespace kelvo {
namespace {
constexpr int chartSiteId = 1000;
constexpr int commandBarSiteId = 1001;
constexpr int loadBoxId = 1002;
constexpr int outerBoxId = 1003;
// The colour value every point is added with; a fast line draws in its
// series' colour whatever it says.
constexpr std::int32_t pointColour = 5;
} // namespace

CCurvePage::CCurvePage() : Dialog(resources::CurveTemplate()) {}

bool CCurvePage::OnInitDialog() {
    pointNumber = 0;
    CreateChart();
    return true;
}

bool CCurvePage::CreateChart() {
    if (!chart.IsCreated() &&
        Failed(chart.Create(GetDlgItem(chartSiteId), resources::curveChartProperties))) {
        return false;
    }
    if (!commandBar.IsCreated()) {
        if (Failed(commandBar.Create(GetDlgItem(commandBarSiteId),
                                     resources::curveCommandBarProperties))) {
            return false;
        }
        commandBar.SetChartLink(chart.GetChartLink());
        CPChart::Clear(chart.Series(0).Get());
    }
    return true;
}

void CCurvePage::AddPoint(double inner, double /*outer*/) {
    dialog::UiThread::BlockingCall([this, inner] {
        const std::string label = FormatLocalTime(clock(), "%H:%M:%S");
        const bool appended = IsDlgButtonChecked(loadBoxId);
        if (appended) {
            CPChart::AddPoint(chart.Series(0).Get(), pointNumber, inner, label, pointColour);
        }
        if (pointNumber > lastPointNumber) {
            pointNumber = 0;
            CPChart::Clear(chart.Series(0).Get());
        }
        if (appended) {
            ++pointNumber;
        }
    });
}

void CCurvePage::SetCurveChecks(bool inner, bool outer) {
    if (inner) {
        CheckDlgButton(loadBoxId, true);
    }
    if (outer) {
        CheckDlgButton(outerBoxId, true);
    }
}

void CCurvePage::GetCurveChecks(bool& inner, bool& outer) const {
    inner = IsDlgButtonChecked(loadBoxId);
    outer = IsDlgButtonChecked(outerBoxId);
}

} // namespace kelvo
