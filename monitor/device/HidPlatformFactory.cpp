#include "monitor/device/HidPlatformFactory.h"

#include "monitor/device/HidrawPlatform.h"
#include "monitor/device/SimulatedHidPlatform.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace kelvo {

namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view{} : std::string_view(value);
}

} // namespace

std::shared_ptr<HidPlatform> CreateHidPlatform() {
    const std::string_view simulate = Environment("KELVOMON_SIMULATE");
    int count = 0;
    const auto [end, error] =
        std::from_chars(simulate.data(), simulate.data() + simulate.size(), count);
    if (!simulate.empty() && error == std::errc{} && end == simulate.data() + simulate.size() &&
        count >= 1) {
        return std::make_shared<SimulatedHidPlatform>(
            std::min(count, maximumSimulatedThermometers),
            ParseSimulatedReadings(Environment("KELVOMON_SIM_TEMPS")));
    }
    return std::make_shared<HidrawPlatform>();
}

} // namespace kelvo
