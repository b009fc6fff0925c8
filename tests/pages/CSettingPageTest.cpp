#include "tests/app/MonitorWindowFixture.h"

#include "platform/dialog/UiThread.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QUrl>

#include <chrono>

namespace kelvo {
namespace {

using namespace mainwindow;
using namespace settingpage;

// Receives the URLs the page asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public Q_SLOTS:
    void Open(const QUrl& url) { opened.push_back(url); }
};

class SettingPageTest : public MonitorWindowFixture {
protected:
    CSettingPage& Page() { return window->settingPage; }
    std::string PageText(int id) { return Page().GetDlgItemText(id); }
    void Click(int id) { Page().Item<QAbstractButton>(id)->click(); }
    // A pick from a list, as the user makes it.
    void Choose(int id, int index) {
        auto* combo = Page().Item<QComboBox>(id);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    // Typing into a combo box's edit field, as the user does.
    void Type(int id, const std::string& text) {
        QLineEdit* edit = Page().Item<QComboBox>(id)->lineEdit();
        edit->setText(QString::fromStdString(text));
        Q_EMIT edit->textEdited(edit->text());
    }
    std::vector<std::string> Entries(int id) {
        std::vector<std::string> entries;
        for (int index = 0; index < Page().ComboGetCount(id); ++index) {
            entries.push_back(Page().ComboGetItemText(id, index));
        }
        return entries;
    }
    void AddWaveFiles(const std::vector<std::string>& names) {
        std::filesystem::create_directories(folder / "wav");
        for (const std::string& name : names) {
            testing::TemporaryDirectory::WriteFile(folder / "wav" / name, "RIFF");
        }
    }
};

TEST_F(SettingPageTest, ListsAreFilledAndTheWaveFolderListsItsFilesSorted) {
    AddWaveFiles({"chime.wav", "Alarm.wav", "beeps.WAV", "notes"});
    std::filesystem::create_directories(folder / "wav" / "Folder.wav");
    testing::TemporaryDirectory::WriteFile(folder / "wav" / "Folder.wav" / "Inner.wav", "RIFF");
    Start(1);
    EXPECT_EQ(Page().ComboGetCount(readIntervalId), 3600);
    EXPECT_EQ(Page().ComboGetItemText(readIntervalId, 3599), "3600");
    EXPECT_EQ(Page().ComboGetCount(saveIntervalId), 10000);
    EXPECT_EQ(Page().ComboGetItemText(saveIntervalId, 0), "1");
    EXPECT_EQ(Entries(saveItemsId),
              (std::vector<std::string>{"1000", "5000", "10000", "20000", "50000"}));
    const std::vector<std::string> waves{"Alarm.wav", "beeps.WAV", "chime.wav", "notes"};
    EXPECT_EQ(Entries(innerWaveId), waves);
    EXPECT_EQ(Entries(outerWaveId), waves);
}

TEST_F(SettingPageTest, NoWaveFolderLeavesBothListsEmptyAndApplyStoresNoName) {
    WriteConfig("[ConfigInfo]\r\nSoundAlarmInner=1\r\nSoundAlarmInnerFile=Alarm.wav\r\n");
    Start(1);
    EXPECT_EQ(Page().ComboGetCount(innerWaveId), 0);
    Click(applyId);
    EXPECT_EQ(window->innerWaveFile, "");
}

TEST_F(SettingPageTest, StartUpShowsTheStoredSettings) {
    AddWaveFiles({"Alarm.wav", "Beeps.wav", "Chime.wav"});
    const std::string records = (folder / "records").string() + "/";
    WriteConfig("[ConfigInfo]\r\nUnit=F\r\nReadInterval=7\r\nSaveItems=5000\r\nSaveInterval=3\r\n"
                "SaveFileDirectroy=" +
                records +
                "\r\nSoundAlarmInner=1\r\nSoundAlarmInnerUpper=30\r\n"
                "SoundAlarmInnerLower=-2.5\r\nSoundAlarmInnerFile=chime\r\n"
                "SoundAlarmOutterFile=Beeps.wav\r\n");
    Start(1);
    EXPECT_TRUE(Page().IsDlgButtonChecked(fahrenheitId));
    EXPECT_FALSE(Page().IsDlgButtonChecked(centigradeId));
    EXPECT_EQ(PageText(innerCalibrationId), "0.0");
    EXPECT_EQ(PageText(outerCalibrationId), "0.0");
    EXPECT_EQ(Page().ComboGetCurSel(readIntervalId), 6);
    EXPECT_EQ(PageText(recordDirectoryId), records);
    EXPECT_EQ(PageText(saveItemsId), "5000");
    EXPECT_EQ(Page().ComboGetCurSel(saveIntervalId), 2);
    EXPECT_TRUE(Page().IsDlgButtonChecked(innerAlarmId));
    EXPECT_EQ(PageText(innerUpperId), "30.00");
    EXPECT_EQ(PageText(innerLowerId), "-2.50");
    EXPECT_EQ(PageText(outerUpperId), "50.00");
    EXPECT_EQ(PageText(innerWaveId), "Chime.wav") << "the start of a name, in any case";
    EXPECT_EQ(PageText(outerWaveId), "Beeps.wav");
    for (int id : {innerWaveId, innerUpperId, innerLowerId}) {
        EXPECT_TRUE(Page().IsDlgItemEnabled(id)) << id;
    }
    for (int id : {outerWaveId, outerUpperId, outerLowerId}) {
        EXPECT_FALSE(Page().IsDlgItemEnabled(id)) << "the outer alarm is off: " << id;
    }
}

TEST_F(SettingPageTest, AStoredWaveThatIsGoneSelectsNothingAndApplyStoresAnEmptyName) {
    AddWaveFiles({"Alarm.wav", "Beeps.wav"});
    WriteConfig("[ConfigInfo]\r\nSoundAlarmInnerFile=Siren.wav\r\n");
    Start(1);
    EXPECT_EQ(Page().ComboGetCurSel(innerWaveId), -1);
    Click(applyId);
    EXPECT_EQ(window->innerWaveFile, "");
}

TEST_F(SettingPageTest, ApplyTakesTheAlarmRowsAsTheyStandAndTheirBoxesEnableThem) {
    AddWaveFiles({"Alarm.wav", "Beeps.wav"});
    Start(1);
    ASSERT_FALSE(Page().IsDlgItemEnabled(innerUpperId));
    Click(innerAlarmId);
    EXPECT_TRUE(Page().IsDlgItemEnabled(innerUpperId));
    EXPECT_TRUE(Page().IsDlgItemEnabled(innerWaveId));
    Page().SetDlgItemText(innerUpperId, "29.5");
    Page().SetDlgItemText(innerLowerId, "abc");
    Page().SetDlgItemText(outerUpperId, "-3"); // disabled, read all the same
    Choose(innerWaveId, 1);
    EXPECT_FALSE(window->innerAlarmOn) << "nothing changes before Apply";
    Click(applyId);
    EXPECT_TRUE(window->innerAlarmOn);
    EXPECT_FALSE(window->outerAlarmOn);
    EXPECT_DOUBLE_EQ(window->innerUpper, 29.5);
    EXPECT_DOUBLE_EQ(window->innerLower, 0.0);
    EXPECT_DOUBLE_EQ(window->outerUpper, -3.0);
    EXPECT_EQ(window->innerWaveFile, "Beeps.wav");
    EXPECT_EQ(window->outerWaveFile, "");
    Click(outerAlarmId);
    EXPECT_TRUE(Page().IsDlgItemEnabled(outerLowerId));
}

TEST_F(SettingPageTest, ListChoicesSetTheIntervalsAndSaveItems) {
    Start(1);
    Choose(readIntervalId, 9);
    EXPECT_EQ(window->readInterval, 10);
    Choose(saveIntervalId, 0);
    EXPECT_EQ(window->saveInterval, 1);
    Choose(saveItemsId, 3);
    EXPECT_EQ(window->saveItems, 20000);
}

TEST_F(SettingPageTest, TypedSaveItemsAreCorrectedInTheFieldAtOnce) {
    Start(1);
    struct Case {
        const char* typed;
        int saveItems;
        const char* shown;
    };
    const Case cases[] = {
        {"2500", 2500, "2500"},    {"0", 1, "1"}, {"abc", 1, "1"}, {"-5", 1, "1"},
        {"70000", 65535, "65535"},
    };
    for (const Case& test : cases) {
        Type(saveItemsId, test.typed);
        EXPECT_EQ(window->saveItems, test.saveItems) << test.typed;
        EXPECT_EQ(PageText(saveItemsId), test.shown) << test.typed;
    }
}

TEST_F(SettingPageTest, UnitSwitchConvertsOnlyOnceTheFirstSampleHasArrived) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20,30,40");
    Click(fahrenheitId);
    EXPECT_FALSE(window->isCelsius);
    EXPECT_EQ(Text(innerMaxId), "Max Temp:") << "nothing to convert before the first sample";
    Click(centigradeId);

    Tick(readTimerId);
    for (int pass = 0; pass < 5; ++pass) {
        Tick(readTimerId); // reads 20, 30 and 40, handing each on between
    }
    ASSERT_EQ(Text(innerMaxId), "Max Temp:40.00");
    Click(centigradeId);
    EXPECT_EQ(Text(innerMaxId), "Max Temp:40.00") << "the unit already in force";

    Click(fahrenheitId);
    EXPECT_DOUBLE_EQ(window->innerCurrent, 104.0);
    EXPECT_EQ(Text(innerMaxId), "Max Temp:104.00");
    EXPECT_EQ(Text(innerMinId), "Min Temp:68.00");
    EXPECT_EQ(Text(innerAvgId), "Avg Temp:90.50") << "showing again adds no sample";
    Tick(readTimerId);
    Tick(readTimerId); // the next reading, 20 C, arrives in Fahrenheit
    EXPECT_EQ(Text(innerReadoutId), "68.00 F");
    EXPECT_EQ(Text(innerMinId), "Min Temp:68.00");
}

// The calibration handler stops reading around the write; the pause it waits
// is recorded, with whether the read timer ran during it.
class CalibrationTest : public SettingPageTest {
protected:
    void StartRecordingPauses(int count) {
        platform = std::make_shared<SimulatedHidPlatform>(count);
        SetProcessHidPlatform(platform);
        window = std::make_unique<CMainDlg>([this](std::chrono::milliseconds duration) {
            if (recording && dialog::UiThread::IsUiThread()) {
                pauses.emplace_back(duration, window->IsTimerRunning(readTimerId));
            }
        });
        window->Initialise();
        QCoreApplication::processEvents(); // the start-up's exchange
        recording = true;
    }

    void Calibrate(const std::string& inner, const std::string& outer = "0.0") {
        messages.clear();
        pauses.clear();
        Page().SetDlgItemText(innerCalibrationId, inner);
        Page().SetDlgItemText(outerCalibrationId, outer);
        Click(calibrateId);
    }

    bool recording = false;
    std::vector<std::pair<std::chrono::milliseconds, bool>> pauses;
};

TEST_F(CalibrationTest, OffsetsOutsideMinusElevenToElevenAreRefused) {
    StartRecordingPauses(1);
    const auto stored = platform->Configuration(0);
    for (const auto& [inner, outer] : std::vector<std::pair<std::string, std::string>>{
             {"11", "0"}, {"-11", "0"}, {"0", "11"}, {"12abc", "0"}}) {
        Calibrate(inner, outer);
        EXPECT_EQ(messages, (std::vector<std::string>{calibrationRangeMessage})) << inner;
        EXPECT_TRUE(window->IsTimerRunning(readTimerId)) << "reading goes on after " << inner;
    }
    EXPECT_EQ(platform->Configuration(0), stored);
    EXPECT_DOUBLE_EQ(window->innerCalibration, 0.0);
}

TEST_F(CalibrationTest, AcceptedOffsetsReachTheThermometerByTheFloorRules) {
    StartRecordingPauses(1);
    struct Case {
        const char* inner;
        const char* outer;
        std::array<std::uint8_t, 4> stored; // inner whole, tenths, outer whole, tenths
    };
    const Case cases[] = {
        {"0.7", "0.0", {20, 6, 20, 0}},
        {"-1.5", "0.0", {18, 5, 20, 0}},
        {"10.9", "-10.9", {30, 8, 9, 0}},
        {" 2.5 C", "junk", {22, 5, 20, 0}},
    };
    for (const Case& test : cases) {
        Calibrate(test.inner, test.outer);
        EXPECT_EQ(messages, (std::vector<std::string>{calibrationWrittenMessage})) << test.inner;
        const auto configuration = platform->Configuration(0);
        EXPECT_EQ(configuration[1], 'X') << "the type code stays";
        EXPECT_EQ((std::array<std::uint8_t, 4>{configuration[2], configuration[3], configuration[4],
                                               configuration[5]}),
                  test.stored)
            << test.inner;
        EXPECT_EQ(pauses, (std::vector<std::pair<std::chrono::milliseconds, bool>>{
                              {std::chrono::milliseconds(500), false}}))
            << "the read timer stops for half a second before the write";
        EXPECT_TRUE(window->IsTimerRunning(readTimerId));
    }
    EXPECT_DOUBLE_EQ(window->innerCalibration, 2.5);
    EXPECT_DOUBLE_EQ(window->outerCalibration, 0.0);
}

TEST_F(CalibrationTest, ACalibrationComesBackAtTheNextStart) {
    StartRecordingPauses(1);
    Calibrate("-1.5", "3.5");
    ASSERT_EQ(messages, (std::vector<std::string>{calibrationWrittenMessage}));
    window.reset();
    window = std::make_unique<CMainDlg>([](std::chrono::milliseconds) {});
    window->Initialise();
    QCoreApplication::processEvents(); // the start-up's exchange
    EXPECT_DOUBLE_EQ(window->innerCalibration, -1.5);
    EXPECT_EQ(PageText(innerCalibrationId), "-1.5");
    EXPECT_EQ(PageText(outerCalibrationId), "3.5");
}

TEST_F(CalibrationTest, AFailedWriteSaysChangeErrorAndKeepsTheOffsets) {
    StartRecordingPauses(1);
    platform->SetFailWrites(0, true);
    Calibrate("1.0");
    EXPECT_EQ(messages, (std::vector<std::string>{calibrationFailedMessage}));
    EXPECT_DOUBLE_EQ(window->innerCalibration, 0.0);
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
}

TEST_F(CalibrationTest, NoThermometerSaysChangeErrorWithoutStoppingAnything) {
    StartRecordingPauses(0);
    Calibrate("1.0");
    EXPECT_EQ(messages, (std::vector<std::string>{calibrationFailedMessage}));
    EXPECT_DOUBLE_EQ(window->innerCalibration, 0.0);
    EXPECT_TRUE(pauses.empty()) << "not reading: no wait";
    EXPECT_FALSE(window->IsTimerRunning(readTimerId));
}

TEST_F(SettingPageTest, BrowseTakesTheChosenFolderWithASeparatorAndCancelKeepsTheOld) {
    WriteConfig("[ConfigInfo]\r\nSaveFileDirectroy=/data/old/\r\n");
    Start(1);
    std::vector<std::pair<std::string, std::string>> asked;
    std::optional<std::string> answer = "/data/new";
    Page().chooseFolder = [&](QWidget* parent, const std::string& title,
                              const std::string& initial) {
        EXPECT_EQ(parent, &Page());
        asked.emplace_back(title, initial);
        return answer;
    };
    Click(browseId);
    EXPECT_EQ(asked, (std::vector<std::pair<std::string, std::string>>{
                         {"Please Select Work Directory:", "/data/old"}}));
    EXPECT_EQ(window->recordDirectory, "/data/new/");
    EXPECT_EQ(PageText(recordDirectoryId), "/data/new/");

    answer = std::nullopt;
    Page().SetDlgItemText(recordDirectoryId, "typed over");
    Click(browseId);
    EXPECT_EQ(window->recordDirectory, "/data/new/");
    EXPECT_EQ(PageText(recordDirectoryId), "/data/new/") << "the field is written in every case";
}

TEST_F(SettingPageTest, OpenShowsTheRecordFolderOnTheDesktop) {
    WriteConfig("[ConfigInfo]\r\nSaveFileDirectroy=/data/records/\r\n");
    Start(1);
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "Open");
    Click(openId);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(recorder.opened.size(), 1U);
    EXPECT_EQ(recorder.opened[0].toLocalFile().toStdString(), "/data/records/");
    EXPECT_TRUE(messages.empty());
}

TEST_F(SettingPageTest, ARediscoveryShowsTheStoredSettingsAgainButNotTheAlarm) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\nSaveItems=5000\r\n");
    Start(1, "20");
    Tick(readTimerId);
    Tick(readTimerId);
    platform->Unplug(0);
    Tick(readTimerId);
    Tick(readTimerId);
    ASSERT_TRUE(window->deviceMissing);
    Type(saveItemsId, "123");
    Page().SetDlgItemText(innerUpperId, "typed");
    platform->Replug(0);
    Tick(retryTimerId);
    EXPECT_EQ(PageText(saveItemsId), "5000");
    EXPECT_EQ(PageText(innerUpperId), "typed");
}

} // namespace
} // namespace kelvo

#include "CSettingPageTest.moc"
