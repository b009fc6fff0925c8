#pragma once

#include "monitor/device/HidPlatform.h"

#include <memory>

namespace kelvo {

// KELVOMON_SIMULATE=N (N >= 1) asks for N simulated thermometers, which answer
// temperature commands from KELVOMON_SIM_TEMPS when it is set; anything else
// means the real thermometers, through hidraw.
std::shared_ptr<HidPlatform> CreateHidPlatform();

// Simulated thermometers are capped here; beyond 32 none more can be listed.
inline constexpr int maximumSimulatedThermometers = 64;

} // namespace kelvo
