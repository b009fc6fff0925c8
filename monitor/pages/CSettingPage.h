#pragma once

#include "platform/dialog/Dialog.h"

#include <functional>
#include <optional>
#include <string>

namespace kelvo {

class CMainDlg;

// Control ids of the settings page.
namespace settingpage {
inline constexpr int centigradeId = 1023;
inline constexpr int fahrenheitId = 1024;
inline constexpr int innerCalibrationId = 1025;
inline constexpr int outerCalibrationId = 1026;
inline constexpr int calibrateId = 1027;
inline constexpr int recordDirectoryId = 1031;
inline constexpr int browseId = 1032;
inline constexpr int openId = 1004;
inline constexpr int saveItemsId = 1033;
inline constexpr int saveIntervalId = 1034;
inline constexpr int readIntervalId = 1038;
inline constexpr int innerAlarmId = 1006;
inline constexpr int innerWaveId = 1008;
inline constexpr int innerUpperId = 1009;
inline constexpr int innerLowerId = 1010;
inline constexpr int outerAlarmId = 1014;
inline constexpr int outerWaveId = 1016;
inline constexpr int outerUpperId = 1019;
inline constexpr int outerLowerId = 1021;
inline constexpr int applyId = 1041;

inline constexpr const char* folderDialogTitle = "Please Select Work Directory:";
inline constexpr const char* calibrationRangeMessage = "the data must between -11 and 11";
inline constexpr const char* calibrationWrittenMessage = "OK";
inline constexpr const char* calibrationFailedMessage = "change error";
} // namespace settingpage

// The "Setting" tab: unit, reading interval, calibration, record files and
// the sound alarm, all kept in the main window's fields. Every change takes
// effect at once, except the sound alarm's, which wait for "Apply".
class CSettingPage : public dialog::Dialog {
    Q_OBJECT
public:
    // Asks the user for a folder, opening at `initial`; nothing when the user
    // cancels.
    using FolderChooser = std::function<std::optional<std::string>(
        QWidget* parent, const std::string& title, const std::string& initial)>;
    using SoundPlayer = std::function<bool(const std::string& name)>;

    CSettingPage();

    CMainDlg* owner = nullptr;
    // The desktop's folder dialog; tests answer in its place.
    FolderChooser chooseFolder;
    // Plays a file of the wave folder to its end; tests may listen in its place.
    SoundPlayer alarmPlayer;

    // The main window's values into the page.
    void ShowCalibration();
    void ShowUnit();
    void ShowReadInterval();
    void ShowSaveSettings();
    void ShowSoundAlarm();

    // Runs on the sampling worker and returns when the sound has ended;
    // false when nothing could be played.
    bool PlayAlarmSound(const std::string& name) const;

    // Lets the user pick a folder; on a pick, output becomes its path ending
    // in "/" and the result is true. Cancelling changes nothing.
    bool SelectFolder(std::string& output, const std::string& initial);

    // Handlers, public so that tests can drive them as the controls would.
    void OnUnit();
    void OnSelchangeReadInterval();
    void OnCalibrate();
    void OnBrowse();
    void OnOpen();
    void OnSelchangeSaveItems();
    void OnEditchangeSaveItems();
    void OnSelchangeSaveInterval();
    void OnInnerAlarm();
    void OnOuterAlarm();
    void OnApply();

protected:
    bool OnInitDialog() override;

private:
    void FillWaveLists();
    void SelectWave(int listId, const std::string& name);
    // False, after the message, when a calibration field holds no valid offset.
    bool ReadCalibration(int id, double& offset);
    void WriteCalibration();
};

} // namespace kelvo
