#include "monitor/pages/CCurvePage.h"

#include "monitor/resources/Templates.h"

namespace kelvo {

CCurvePage::CCurvePage() : Dialog(resources::CurveTemplate()) {}

} // namespace kelvo
