#include "monitor/pages/CSettingPage.h"

#include "monitor/app/CMainDlg.h"
#include "monitor/core/SettingRules.h"
#include "monitor/core/TextNumbers.h"
#include "monitor/resources/Templates.h"
#include "platform/sound/AlarmSound.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kelvo {

using namespace settingpage;

namespace {

constexpr int readTimerPeriod = 1000;
// A pass that is talking to the thermometer has its answer within this time.
constexpr std::chrono::milliseconds calibrationWait{500};

std::optional<std::string> ChooseFolderWithDialog(QWidget* parent, const std::string& title,
                                                  const std::string& initial) {
    const QString folder = QFileDialog::getExistingDirectory(parent, QString::fromStdString(title),
                                                             QString::fromStdString(initial),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder.toStdString();
}

} // namespace

CSettingPage::CSettingPage()
    : Dialog(resources::SettingTemplate()), chooseFolder(ChooseFolderWithDialog),
      alarmPlayer(sound::PlayAlarmSound) {}

bool CSettingPage::OnInitDialog() {
    ComboAddStrings(readIntervalId, dialog::NumberTexts(1, 3600));
    ComboAddStrings(saveIntervalId, dialog::NumberTexts(1, 10000));
    FillWaveLists();

    using dialog::ControlEvent;
    OnControlEvent(centigradeId, ControlEvent::Clicked, [this] { OnUnit(); });
    OnControlEvent(fahrenheitId, ControlEvent::Clicked, [this] { OnUnit(); });
    OnControlEvent(readIntervalId, ControlEvent::SelectionChanged,
                   [this] { OnSelchangeReadInterval(); });
    OnControlEvent(calibrateId, ControlEvent::Clicked, [this] { OnCalibrate(); });
    OnControlEvent(browseId, ControlEvent::Clicked, [this] { OnBrowse(); });
    OnControlEvent(openId, ControlEvent::Clicked, [this] { OnOpen(); });
    OnControlEvent(saveItemsId, ControlEvent::SelectionChanged, [this] { OnSelchangeSaveItems(); });
    OnControlEvent(saveItemsId, ControlEvent::EditChanged, [this] { OnEditchangeSaveItems(); });
    OnControlEvent(saveIntervalId, ControlEvent::SelectionChanged,
                   [this] { OnSelchangeSaveInterval(); });
    OnControlEvent(innerAlarmId, ControlEvent::Clicked, [this] { OnInnerAlarm(); });
    OnControlEvent(outerAlarmId, ControlEvent::Clicked, [this] { OnOuterAlarm(); });
    OnControlEvent(applyId, ControlEvent::Clicked, [this] { OnApply(); });
    return true;
}

void CSettingPage::FillWaveLists() {
    std::error_code error;
    const std::filesystem::path folder = sound::WaveFolder();
    if (!std::filesystem::is_directory(folder, error)) {
        return;
    }
    ComboResetContent(innerWaveId);
    ComboResetContent(outerWaveId);
    // Only files directly in the folder: the player looks nowhere else.
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code typeError;
        if (entry->is_regular_file(typeError)) {
            const std::string name = entry->path().filename().string();
            ComboAddString(innerWaveId, name);
            ComboAddString(outerWaveId, name);
        }
    }
}

void CSettingPage::ShowCalibration() {
    SetDlgItemText(innerCalibrationId, FormatFixed1(owner->innerCalibration));
    SetDlgItemText(outerCalibrationId, FormatFixed1(owner->outerCalibration));
}

void CSettingPage::ShowUnit() {
    CheckDlgButton(centigradeId, owner->isCelsius);
    CheckDlgButton(fahrenheitId, !owner->isCelsius);
    OnUnit();
}

void CSettingPage::ShowReadInterval() {
    ComboSetCurSel(readIntervalId, owner->readInterval - 1);
}

void CSettingPage::ShowSaveSettings() {
    SetDlgItemText(recordDirectoryId, owner->recordDirectory);
    SetDlgItemText(saveItemsId, std::to_string(owner->saveItems));
    ComboSetCurSel(saveIntervalId, owner->saveInterval - 1);
}

void CSettingPage::ShowSoundAlarm() {
    CheckDlgButton(innerAlarmId, owner->innerAlarmOn);
    CheckDlgButton(outerAlarmId, owner->outerAlarmOn);
    SetDlgItemText(innerUpperId, FormatFixed2(owner->innerUpper));
    SetDlgItemText(innerLowerId, FormatFixed2(owner->innerLower));
    SetDlgItemText(outerUpperId, FormatFixed2(owner->outerUpper));
    SetDlgItemText(outerLowerId, FormatFixed2(owner->outerLower));
    SelectWave(innerWaveId, owner->innerWaveFile);
    SelectWave(outerWaveId, owner->outerWaveFile);
    OnInnerAlarm();
    OnOuterAlarm();
}

void CSettingPage::SelectWave(int listId, const std::string& name) {
    if (name.empty()) {
        return;
    }
    std::vector<std::string> entries;
    for (int index = 0; index < ComboGetCount(listId); ++index) {
        entries.push_back(ComboGetItemText(listId, index));
    }
    ComboSetCurSel(listId, FindWaveEntry(entries, name));
}

bool CSettingPage::PlayAlarmSound(const std::string& name) const {
    return alarmPlayer(name);
}

void CSettingPage::OnUnit() {
    if (ChangeUnit(*owner, IsDlgButtonChecked(centigradeId))) {
        // The statistics are shown again in the new unit; no sample is added.
        owner->ShowInnerStatistics();
        owner->ShowOuterStatistics();
    }
}

void CSettingPage::OnSelchangeReadInterval() {
    if (const int index = ComboGetCurSel(readIntervalId); index >= 0) {
        owner->readInterval = index + 1;
    }
}

void CSettingPage::OnCalibrate() {
    // A pass that is reading must not have its exchange cut by the write: no
    // new one starts, and one under way, perhaps between its T and its read,
    // ends first.
    const bool reading = owner->IsDlgButtonChecked(mainwindow::readingId);
    if (reading) {
        owner->KillTimer(mainwindow::readTimerId);
    }
    owner->WaitForSamplingPass();
    if (reading) {
        owner->devicePause(calibrationWait);
    }
    WriteCalibration();
    if (reading) {
        owner->SetTimer(mainwindow::readTimerId, readTimerPeriod);
    }
}

bool CSettingPage::ReadCalibration(int id, double& offset) {
    offset = ReadReal(GetDlgItemText(id));
    if (!IsValidCalibration(offset)) {
        MessageBox(calibrationRangeMessage);
        return false;
    }
    return true;
}

void CSettingPage::WriteCalibration() {
    double inner = 0.0;
    double outer = 0.0;
    if (!ReadCalibration(innerCalibrationId, inner) ||
        !ReadCalibration(outerCalibrationId, outer)) {
        return;
    }
    owner->pendingConfig = CalibrationBytes(owner->deviceConfig[1], inner, outer);
    const auto& bytes = owner->pendingConfig;
    if (!owner->WriteConfiguration(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4])) {
        MessageBox(calibrationFailedMessage);
        return;
    }
    owner->innerCalibration = inner;
    owner->outerCalibration = outer;
    MessageBox(calibrationWrittenMessage);
}

bool CSettingPage::SelectFolder(std::string& output, const std::string& initial) {
    const std::optional<std::string> chosen =
        chooseFolder(this, folderDialogTitle, WithoutTrailingSeparator(initial));
    if (!chosen) {
        return false;
    }
    if (!chosen->empty()) {
        output = WithTrailingSeparator(*chosen);
    }
    return true;
}

void CSettingPage::OnBrowse() {
    const std::string initial = owner->recordDirectory;
    SelectFolder(owner->recordDirectory, initial);
    SetDlgItemText(recordDirectoryId, owner->recordDirectory);
}

void CSettingPage::OnOpen() {
    // What the file manager makes of it is its own business.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(owner->recordDirectory)));
}

void CSettingPage::OnSelchangeSaveItems() {
    if (const int index = ComboGetCurSel(saveItemsId); index >= 0) {
        owner->saveItems = ReadSaveItems(ComboGetItemText(saveItemsId, index)).value;
    }
}

void CSettingPage::OnEditchangeSaveItems() {
    const SaveItemsEntry entry = ReadSaveItems(GetDlgItemText(saveItemsId));
    owner->saveItems = entry.value;
    if (!entry.correctedText.empty()) {
        SetDlgItemText(saveItemsId, entry.correctedText);
    }
}

void CSettingPage::OnSelchangeSaveInterval() {
    if (const int index = ComboGetCurSel(saveIntervalId); index >= 0) {
        owner->saveInterval = index + 1;
    }
}

void CSettingPage::OnInnerAlarm() {
    const bool on = IsDlgButtonChecked(innerAlarmId);
    for (int id : {innerWaveId, innerUpperId, innerLowerId}) {
        EnableDlgItem(id, on);
    }
}

void CSettingPage::OnOuterAlarm() {
    const bool on = IsDlgButtonChecked(outerAlarmId);
    for (int id : {outerWaveId, outerUpperId, outerLowerId}) {
        EnableDlgItem(id, on);
    }
}

void CSettingPage::OnApply() {
    owner->innerAlarmOn = IsDlgButtonChecked(innerAlarmId);
    owner->outerAlarmOn = IsDlgButtonChecked(outerAlarmId);
    owner->innerUpper = ReadReal(GetDlgItemText(innerUpperId));
    owner->innerLower = ReadReal(GetDlgItemText(innerLowerId));
    owner->outerUpper = ReadReal(GetDlgItemText(outerUpperId));
    owner->outerLower = ReadReal(GetDlgItemText(outerLowerId));
    // A list with no entry chosen gives an empty name, and the alarm stays silent.
    owner->innerWaveFile = GetDlgItemText(innerWaveId);
    owner->outerWaveFile = GetDlgItemText(outerWaveId);
}

} // namespace kelvo
