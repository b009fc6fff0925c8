#pragma once

#include <functional>
#include <string>

namespace kelvo {

using ShowMessageFunction = std::function<void(const std::string&)>;

// True when the chart control's ProgID is registered, or registering
// Plotra5.ocx from the current directory succeeded. Failures show their
// messages through showMessage.
bool EnsureChartControl(const ShowMessageFunction& showMessage);

// Loads Plotra5.ocx from the current directory and runs its self-registration;
// the library stays loaded on success.
bool RegisterChartControl(const ShowMessageFunction& showMessage);

} // namespace kelvo
