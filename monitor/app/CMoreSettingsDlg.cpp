#include "monitor/app/CMoreSettingsDlg.h"

#include <QStringList>

namespace kelvo {
namespace {

using dialog::ControlKind;
using dialog::ControlTemplate;
using dialog::DialogTemplate;
using dialog::noControlId;
using namespace moresettings;

constexpr int templateId = 140;
constexpr int width = 400;
constexpr int rowHeight = 28;
constexpr int labelX = 7;
constexpr int fieldX = 80;
constexpr int fieldWidth = width - fieldX - 7;
constexpr int choiceWidth = 70;

ControlTemplate Control(int id, ControlKind kind, const std::string& caption, int x, int y, int w,
                        int h, unsigned styles = dialog::StyleNone) {
    return ControlTemplate{id, kind, caption, {x, y, w, h}, styles, true, {}};
}

DialogTemplate MakeTemplate() {
    DialogTemplate made{templateId, "More settings", width, 0, "SimSun", 9, false, {}};
    const std::vector<ExtensionKey>& keys = ExtensionKeys();
    int y = 7;
    for (std::size_t index = 0; index < keys.size(); ++index) {
        const ExtensionKey& key = keys[index];
        const int field = firstFieldId + static_cast<int>(index);
        made.controls.push_back(
            Control(noControlId, ControlKind::Static, key.name, labelX, y + 2, fieldX - labelX, 8));
        switch (key.kind) {
        case ExtensionKeyKind::Flag:
            made.controls.push_back(Control(field, ControlKind::CheckBox, "", fieldX, y, 12, 10));
            break;
        case ExtensionKeyKind::Choice: {
            ControlTemplate list =
                Control(field, ControlKind::DropDownList, "", fieldX, y, choiceWidth, 60);
            list.items = key.choices;
            made.controls.push_back(list);
            break;
        }
        case ExtensionKeyKind::Text:
            made.controls.push_back(
                Control(field, ControlKind::Edit, "", fieldX, y, fieldWidth, 12));
            break;
        }
        made.controls.push_back(Control(firstHelpId + static_cast<int>(index), ControlKind::Static,
                                        key.help, fieldX, y + 14, fieldWidth, 9));
        y += rowHeight;
    }
    made.controls.push_back(Control(okId, ControlKind::DefaultPushButton, "OK",
                                    width - 2 * (50 + 7), y + 2, 50, 14, dialog::StyleGroupStart));
    made.controls.push_back(
        Control(cancelId, ControlKind::PushButton, "Cancel", width - 50 - 7, y + 2, 50, 14));
    made.height = y + 2 + 14 + 7;
    return made;
}

} // namespace

const DialogTemplate& MoreSettingsTemplate() {
    static const DialogTemplate made = MakeTemplate();
    return made;
}

CMoreSettingsDlg::CMoreSettingsDlg(ExtensionSettings& settings, QWidget* parent)
    : Dialog(MoreSettingsTemplate(), parent), settings(settings) {}

bool CMoreSettingsDlg::OnInitDialog() {
    OnControlEvent(okId, dialog::ControlEvent::Clicked, [this] { OnOK(); });
    OnControlEvent(cancelId, dialog::ControlEvent::Clicked, [this] { OnCancel(); });
    const ExtensionTexts texts = FormatExtensionSettings(settings);
    const std::vector<ExtensionKey>& keys = ExtensionKeys();
    for (std::size_t index = 0; index < keys.size(); ++index) {
        const ExtensionKey& key = keys[index];
        const int field = firstFieldId + static_cast<int>(index);
        const auto found = texts.find(key.name);
        const std::string text = found == texts.end() ? key.fallback : found->second;
        switch (key.kind) {
        case ExtensionKeyKind::Flag:
            CheckDlgButton(field, text == "1");
            break;
        case ExtensionKeyKind::Choice:
            for (int entry = 0; entry < ComboGetCount(field); ++entry) {
                if (ComboGetItemText(field, entry) == text) {
                    ComboSetCurSel(field, entry);
                }
            }
            break;
        case ExtensionKeyKind::Text:
            SetDlgItemText(field, text);
            break;
        }
    }
    return true;
}

ExtensionTexts CMoreSettingsDlg::FieldTexts() const {
    ExtensionTexts texts;
    const std::vector<ExtensionKey>& keys = ExtensionKeys();
    for (std::size_t index = 0; index < keys.size(); ++index) {
        const ExtensionKey& key = keys[index];
        const int field = firstFieldId + static_cast<int>(index);
        switch (key.kind) {
        case ExtensionKeyKind::Flag:
            texts[key.name] = IsDlgButtonChecked(field) ? "1" : "0";
            break;
        case ExtensionKeyKind::Choice: {
            const int selected = ComboGetCurSel(field);
            texts[key.name] = selected < 0 ? key.fallback : ComboGetItemText(field, selected);
            break;
        }
        case ExtensionKeyKind::Text:
            texts[key.name] = GetDlgItemText(field);
            break;
        }
    }
    return texts;
}

void CMoreSettingsDlg::OnOK() {
    std::vector<ExtensionProblem> problems;
    const ExtensionSettings taken = ParseExtensionSettings(FieldTexts(), problems);
    if (!problems.empty()) {
        std::string message = "Nothing was changed:";
        for (const ExtensionProblem& problem : problems) {
            message += "\n" + problem.key + " \"" + problem.text + "\": " + problem.reason + ".";
        }
        MessageBox(message);
        return;
    }
    settings = taken;
    EndDialog(dialog::idOk);
}

} // namespace kelvo
