#include "monitor/core/AlarmState.h"

#include "monitor/core/SamplingRules.h"

#include <cmath>

namespace kelvo {
namespace {

// Readings are sums of sixteenths and an offset typed in hundredths; a value
// that is back by the margin on paper must not miss it by a rounding error.
constexpr double tolerance = 1e-9;

} // namespace

AlarmState::Transition AlarmState::Follow(std::optional<double> value, const Band& band) {
    if (!value || std::isnan(*value)) {
        return Transition::None;
    }
    if (!alarmed) {
        if (IsOutsideBand(*value, band.lower, band.upper)) {
            alarmed = true;
            return Transition::Alarm;
        }
        return Transition::None;
    }
    const bool backByMargin = band.hysteresis > 0.0
                                  ? *value >= band.lower + band.hysteresis - tolerance &&
                                        *value <= band.upper - band.hysteresis + tolerance
                                  : !IsOutsideBand(*value, band.lower, band.upper);
    if (backByMargin) {
        alarmed = false;
        return Transition::Clear;
    }
    return Transition::None;
}

} // namespace kelvo
