#include "monitor/pages/CCurvePage.h"

#include "monitor/resources/Templates.h"

namespace kelvo {
namespace {
constexpr int loadBoxId = 1002;
constexpr int outerBoxId = 1003;
} // namespace

CCurvePage::CCurvePage() : Dialog(resources::CurveTemplate()) {}

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
