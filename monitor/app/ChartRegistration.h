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

// Creates the chart through create. When that fails (the registered library is
// gone, say, with the folder it was registered from, or cannot make the chart),
// registers the current directory's Plotra5.ocx again and creates once more, so
// that a stale entry does not leave the chart blank for good. False when the
// chart still cannot be had; a failing registration shows its messages.
bool CreateChartRegisteringAgain(const std::function<bool()>& create,
                                 const ShowMessageFunction& showMessage);

} // namespace kelvo
