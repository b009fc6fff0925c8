#pragma once

#include "monitor/core/ExtensionSettings.h"
#include "platform/dialog/Dialog.h"

namespace kelvo {

// Control ids of the "More settings..." dialog: one field and one help line
// per key of ExtensionKeys(), in its order.
namespace moresettings {
inline constexpr int firstFieldId = 2000;
inline constexpr int firstHelpId = 2100;
// Ids of their own, connected here, so that they act the same whether or not
// the dialog layer connects buttons 1 and 2.
inline constexpr int okId = 2200;
inline constexpr int cancelId = 2201;
} // namespace moresettings

// "More settings...": the [Extensions] settings, a field and a help line for
// each. OK takes the values only when every one is good; otherwise a message
// names each bad one and the dialog stays open with nothing stored. The
// values reach Config.ini with the rest when the main window saves.
class CMoreSettingsDlg : public dialog::Dialog {
    Q_OBJECT
public:
    CMoreSettingsDlg(ExtensionSettings& settings, QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    ExtensionTexts FieldTexts() const;

    ExtensionSettings& settings;
};

// The dialog's template, built from the keys.
const dialog::DialogTemplate& MoreSettingsTemplate();

} // namespace kelvo
