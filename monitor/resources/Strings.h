#pragma once

namespace kelvo::resources {

// String 101: the about item of the main window's menu.
inline constexpr const char* aboutItemText = "about HID Kelvo2(&A)...";
inline constexpr int aboutCommandId = 16;

} // namespace kelvo::resources
