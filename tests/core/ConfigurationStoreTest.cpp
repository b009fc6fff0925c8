#include "monitor/core/ConfigurationStore.h"

#include "monitor/core/MailConfigRow.h"
#include "tests/platform/ini/TemporaryDirectory.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace kelvo {
namespace {

using testing::TemporaryDirectory;

constexpr char emptyRow[] = "|^||^||^||^||^|0|^|0|^|0|^|0.00|^|0.00|^||^|";

// Stands in for the chart page's curve boxes and the table page's start-up mode.
class FakePages : public ConfigurationPages {
public:
    void SetCurveChecks(bool inner, bool outer) override {
        innerCurve = inner;
        outerCurve = outer;
    }
    void GetCurveChecks(bool& inner, bool& outer) override {
        inner = innerCurve;
        outer = outerCurve;
    }
    void SetStartupMode(bool automatic) override { autoStart = automatic; }
    bool IsAutoStart() override { return autoStart; }

    bool innerCurve = false;
    bool outerCurve = false;
    bool autoStart = true;
};

class ConfigurationStore : public ::testing::Test {
protected:
    // Loads from a file holding these lines of section ConfigInfo, or from no
    // file when lines is null.
    void Load(const char* lines) {
        if (lines != nullptr) {
            TemporaryDirectory::WriteFile(path, std::string("[ConfigInfo]\n") + lines + "\n");
        }
        LoadConfiguration(state, pages, path);
    }

    TemporaryDirectory directory;
    const std::filesystem::path path = directory / "Config.ini";
    MonitorState state;
    FakePages pages;
};

TEST_F(ConfigurationStore, NoFileGivesTheDefaults) {
    // Values the load must replace, so that a key it forgets shows.
    state.isCelsius = false;
    state.readInterval = state.saveItems = state.saveInterval = state.tsct = 77;
    state.mailRowIndex = 7;
    state.innerAlarmOn = state.outerAlarmOn = true;
    state.innerUpper = state.innerLower = state.outerUpper = state.outerLower = 77.0;
    state.innerWaveFile = state.outerWaveFile = state.recordDirectory = "stale";
    ParseMailRow(state.mailRows, "stale|^|", 9);

    Load(nullptr);
    EXPECT_TRUE(state.isCelsius);
    EXPECT_EQ(state.readInterval, 5);
    EXPECT_EQ(state.recordDirectory, DefaultRecordDirectory());
    EXPECT_EQ(state.saveItems, 10000);
    EXPECT_EQ(state.saveInterval, 5);
    EXPECT_EQ(state.mailRowIndex, 0);
    EXPECT_TRUE(pages.innerCurve);
    EXPECT_TRUE(pages.outerCurve);
    EXPECT_FALSE(pages.autoStart);
    EXPECT_FALSE(state.innerAlarmOn);
    EXPECT_FALSE(state.outerAlarmOn);
    EXPECT_EQ(state.innerUpper, 50.0);
    EXPECT_EQ(state.innerLower, 0.0);
    EXPECT_EQ(state.outerUpper, 50.0);
    EXPECT_EQ(state.outerLower, 0.0);
    EXPECT_EQ(state.innerWaveFile, "");
    EXPECT_EQ(state.outerWaveFile, "");
    EXPECT_EQ(state.tsct, 0);
    EXPECT_EQ(FormatMailRow(state.mailRows, 0), sampleMailRow);
    EXPECT_EQ(FormatMailRow(state.mailRows, 1), sampleMailRow);
    for (int row = 2; row < mailRowCount; ++row) {
        EXPECT_EQ(FormatMailRow(state.mailRows, row), emptyRow);
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "loading creates no file";
}

struct KeyCase {
    const char* lines;
    std::function<bool(const MonitorState&, const FakePages&)> holds;
    const char* what;
};

class ConfigurationKey : public ConfigurationStore,
                         public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ConfigurationKey, ReadsAsStored) {
    Load(GetParam().lines);
    EXPECT_TRUE(GetParam().holds(state, pages)) << GetParam().lines << ": " << GetParam().what;
}

using S = const MonitorState&;
using P = const FakePages&;

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigurationKey,
    ::testing::Values(
        KeyCase{"Unit=c", [](S s, P) { return !s.isCelsius; }, "Fahrenheit"},
        KeyCase{"Unit=F", [](S s, P) { return !s.isCelsius; }, "Fahrenheit"},
        KeyCase{"Unit=", [](S s, P) { return !s.isCelsius; }, "Fahrenheit"},
        KeyCase{"unit = C ", [](S s, P) { return s.isCelsius; }, "Celsius"},
        KeyCase{"ReadInterval=0", [](S s, P) { return s.readInterval == 1; }, "1 s"},
        KeyCase{"ReadInterval=abc", [](S s, P) { return s.readInterval == 1; }, "1 s"},
        KeyCase{"ReadInterval=-7", [](S s, P) { return s.readInterval == -7; }, "stays negative"},
        KeyCase{"ReadInterval= 12s", [](S s, P) { return s.readInterval == 12; }, "12 s"},
        KeyCase{"SaveItems=0", [](S s, P) { return s.saveItems == 1000; }, "1000 rows"},
        KeyCase{"SaveInterval=0", [](S s, P) { return s.saveInterval == 1; }, "1 s"},
        KeyCase{"SaveFileDirectroy=",
                [](S s, P) { return s.recordDirectory == DefaultRecordDirectory(); }, "default"},
        KeyCase{"SaveFileDirectroy=/data/records/",
                [](S s, P) { return s.recordDirectory == "/data/records/"; }, "as stored"},
        KeyCase{"EmailConfigIndex=12",
                [](S s, P) { return s.mailRowIndex == 12 && ActiveMailRow(s) == 0; },
                "kept, row 0 used"},
        KeyCase{"EmailConfig1=\nEmailConfig3=a|^|",
                [](S s, P) {
                    return s.mailRows.server[0] == "" &&
                           s.mailRows.server[1] == "smtp.example.com" &&
                           s.mailRows.server[2] == "a";
                },
                "empty row 1, sample row 2, stored row 3"},
        KeyCase{"CurveInner=0\nCurveOuter=yes",
                [](S, P p) { return !p.innerCurve && !p.outerCurve; }, "both off"},
        KeyCase{"AutoOrManual=2", [](S, P p) { return p.autoStart; }, "automatic"},
        KeyCase{"SoundAlarmInner=1\nSoundAlarmOutter=true",
                [](S s, P) { return s.innerAlarmOn && !s.outerAlarmOn; }, "inner only"},
        KeyCase{"SoundAlarmInnerUpper= 37.5C\nSoundAlarmOutterLower=-3,5",
                [](S s, P) { return s.innerUpper == 37.5 && s.outerLower == -3.0; },
                "leading numbers"},
        KeyCase{"TSCT=42", [](S s, P) { return s.tsct == 42; }, "kept"}),
    [](const auto& info) { return testing::CaseName(info.param.lines); });

TEST_F(ConfigurationStore, PathsAndMailRowsAreReadWholeAndSurviveASave) {
    const std::string folder = "/data/" + std::string(394, 'd');
    const std::string innerWave = std::string(300, 'w') + ".wav";
    const std::string outerWave = std::string(270, 'o') + ".wav";
    std::string row = std::string(sampleMailRow);
    row.replace(row.find("alerts@example.com"), 18, std::string(280, 'r'));
    Load(("SaveFileDirectroy=" + folder + "\nSoundAlarmInnerFile=" + innerWave +
          "\nSoundAlarmOutterFile=" + outerWave + "\nEmailConfig4=" + row)
             .c_str());
    ASSERT_EQ(folder.size(), 400U);
    EXPECT_EQ(state.recordDirectory, folder);
    EXPECT_EQ(state.innerWaveFile, innerWave);
    EXPECT_EQ(state.outerWaveFile, outerWave);
    EXPECT_EQ(state.mailRows.recipients[3], std::string(280, 'r'));
    EXPECT_EQ(state.mailRows.password[3], "Sample-Pass1");

    ASSERT_TRUE(SaveConfiguration(state, pages, path));
    MonitorState loaded;
    LoadConfiguration(loaded, pages, path);
    EXPECT_EQ(loaded.recordDirectory, folder);
    EXPECT_EQ(loaded.innerWaveFile, innerWave);
    EXPECT_EQ(loaded.outerWaveFile, outerWave);
}

TEST_F(ConfigurationStore, SaveWritesEveryKeyInOrder) {
    Load(nullptr);
    ASSERT_TRUE(SaveConfiguration(state, pages, path));
    std::string expected = "[ConfigInfo]\n"
                           "Unit=C\n"
                           "ReadInterval=5\n"
                           "SaveFileDirectroy=" +
                           DefaultRecordDirectory() +
                           "\n"
                           "SaveItems=10000\n"
                           "SaveInterval=5\n";
    for (int row = 1; row <= 10; ++row) {
        expected += "EmailConfig" + std::to_string(row) + "=" +
                    (row <= 2 ? std::string(sampleMailRow) : std::string(emptyRow)) + "\n";
    }
    expected += "EmailConfigIndex=0\n"
                "CurveInner=1\n"
                "CurveOuter=1\n"
                "AutoOrManual=0\n"
                "SoundAlarmInner=0\n"
                "SoundAlarmOutter=0\n"
                "SoundAlarmInnerUpper=50.00\n"
                "SoundAlarmInnerLower=0.00\n"
                "SoundAlarmOutterUpper=50.00\n"
                "SoundAlarmOutterLower=0.00\n"
                "SoundAlarmInnerFile=\n"
                "SoundAlarmOutterFile=\n"
                "TSCT=0\n";
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), expected);
}

TEST_F(ConfigurationStore, SaveThenLoadKeepsEverySetting) {
    Load("TSCT=3");
    state.isCelsius = false;
    state.readInterval = 3600;
    state.recordDirectory = "/data/records/";
    state.saveItems = 65535;
    state.saveInterval = 2;
    state.mailRowIndex = 12;
    state.innerAlarmOn = true;
    state.innerUpper = 37.456;
    state.outerLower = -10.5;
    state.innerWaveFile = "ring.wav";
    state.outerWaveFile = "bell.wav";
    ParseMailRow(state.mailRows, "h|^|f|^|u|^|r|^|s|^|30|^|1|^|0|^|2.50|^|-1.00|^|cGFzcw==|^|", 9);
    pages.innerCurve = false;
    pages.autoStart = true;
    ASSERT_TRUE(SaveConfiguration(state, pages, path));

    MonitorState loaded;
    FakePages loadedPages;
    LoadConfiguration(loaded, loadedPages, path);
    EXPECT_FALSE(loaded.isCelsius);
    EXPECT_EQ(loaded.readInterval, 3600);
    EXPECT_EQ(loaded.recordDirectory, "/data/records/");
    EXPECT_EQ(loaded.saveItems, 65535);
    EXPECT_EQ(loaded.saveInterval, 2);
    EXPECT_EQ(loaded.mailRowIndex, 12);
    EXPECT_TRUE(loaded.innerAlarmOn);
    EXPECT_EQ(loaded.innerUpper, 37.46); // stored with two decimals
    EXPECT_EQ(loaded.outerLower, -10.5);
    EXPECT_EQ(loaded.innerWaveFile, "ring.wav");
    EXPECT_EQ(loaded.outerWaveFile, "bell.wav");
    EXPECT_EQ(loaded.tsct, 3);
    EXPECT_EQ(loaded.mailRows.password[9], "pass");
    EXPECT_EQ(FormatMailRow(loaded.mailRows, 9), FormatMailRow(state.mailRows, 9));
    EXPECT_FALSE(loadedPages.innerCurve);
    EXPECT_TRUE(loadedPages.outerCurve);
    EXPECT_TRUE(loadedPages.autoStart);
}

TEST_F(ConfigurationStore, SaveKeepsOtherSectionsKeysCommentsAndLineEnds) {
    const std::string original = "; kept\r\n"
                                 "[Other]\r\n"
                                 "Unit=K\r\n"
                                 "\r\n"
                                 "[configinfo]\r\n"
                                 "TSCT=9\r\n"
                                 "Unknown=kept\r\n"
                                 "Unit=F\r\n";
    TemporaryDirectory::WriteFile(path, original);
    LoadConfiguration(state, pages, path);
    EXPECT_FALSE(state.isCelsius);
    EXPECT_EQ(state.tsct, 9);
    ASSERT_TRUE(SaveConfiguration(state, pages, path));

    const std::string saved = TemporaryDirectory::ReadFile(path);
    EXPECT_TRUE(saved.starts_with(original + "ReadInterval=5\r\n")) << saved;
    EXPECT_EQ(saved.find("\r\n\r\n", original.size()), std::string::npos);
    const auto lineFeeds = std::count(saved.begin(), saved.end(), '\n');
    EXPECT_EQ(lineFeeds, std::count(saved.begin(), saved.end(), '\r')) << "CR LF throughout";
    // The file's 8 lines and the 28 keys, less the two that were there already.
    EXPECT_EQ(lineFeeds, 8 + 28 - 2) << "no key is written twice";
}

TEST_F(ConfigurationStore, UnwritableFileFailsSilentlyAndLosesNothing) {
    // A folder in the file's place can be neither read nor replaced.
    std::filesystem::create_directory(path);
    Load(nullptr);
    EXPECT_EQ(state.readInterval, 5);
    EXPECT_FALSE(SaveConfiguration(state, pages, path));
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A file whose folder is missing is not created.
    EXPECT_FALSE(SaveConfiguration(state, pages, directory / "missing" / "Config.ini"));
}

TEST_F(ConfigurationStore, AnOversizedFileGivesTheDefaultsAndIsNeverOverwritten) {
    // Twenty megabytes of blank lines once took half a minute and gigabytes to load.
    const std::string text = "[ConfigInfo]\nUnit=F\nReadInterval=60\n" + std::string(2 << 20, '\n');
    TemporaryDirectory::WriteFile(path, text);
    Load(nullptr);
    EXPECT_TRUE(state.isCelsius);
    EXPECT_EQ(state.readInterval, 5);
    EXPECT_FALSE(SaveConfiguration(state, pages, path));
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), text);
}

TEST_F(ConfigurationStore, ReadOnlyFileKeepsItsOldValues) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write any file";
    }
    Load("Unit=F");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    state.isCelsius = true;
    EXPECT_FALSE(SaveConfiguration(state, pages, path));
    Load(nullptr);
    EXPECT_FALSE(state.isCelsius);
}

TEST(ConfigurationPath, IsConfigIniInTheCurrentDirectory) {
    EXPECT_EQ(ConfigurationPath(), std::filesystem::current_path() / "Config.ini");
}

} // namespace
} // namespace kelvo
