#pragma once

#include "platform/dialog/DialogTemplate.h"

namespace kelvo::resources {

inline constexpr int aboutTemplateId = 100;
inline constexpr int mainTemplateId = 102;
inline constexpr int emailTemplateId = 129;
inline constexpr int curveTemplateId = 130;
inline constexpr int logTemplateId = 131;
inline constexpr int settingTemplateId = 132;

// The dialog templates of the monitor, by template id.
const dialog::DialogTemplate& AboutTemplate();
const dialog::DialogTemplate& MainTemplate();
const dialog::DialogTemplate& EmailTemplate();
const dialog::DialogTemplate& CurveTemplate();
const dialog::DialogTemplate& LogTemplate();
const dialog::DialogTemplate& SettingTemplate();

} // namespace kelvo::resources
