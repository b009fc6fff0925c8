#pragma once

namespace kelvo::resources {

// String 101: the about item of the main window's menu.
inline constexpr const char* aboutItemText = "about HID Kelvo2(&A)...";
inline constexpr int aboutCommandId = 16;

// The context-menu item beside it that opens the [Extensions] settings.
inline constexpr const char* moreSettingsItemText = "More settings...";

} // namespace kelvo::resources
