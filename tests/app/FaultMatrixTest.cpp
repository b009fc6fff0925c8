// The monitor in broken surroundings: no crash, no wait beyond the time-outs,
// nothing already written lost, and a trace the user can find.
//
// Faults covered elsewhere, and where:
// - thermometer unplugged between passes, and replugged: SamplingCycleTest.
//   UnpluggedDuringReadingWaitsThenResumesByItself; on a worker while the
//   device comes and goes: ThermometerProtocolTest.ReadingOnAWorkerWhile...
// - SMTP server silent: SmtpClientScriptedTest SilentServer, EmailPageTest.
//   SilentServerHoldsNeitherTheWindowNorSampling... and ClosingWaitsForThe
//   ReportInFlight...; closing mid-reply and garbage: SmtpClientScriptedTest
//   ClosesMid*, GarbageGreeting, BinaryGreeting, GarbageAfterLogin,
//   ServerHangsUpDuringData; the failure note on standard error and in the
//   tooltip: EmailPageTest.ReportReachesARealServer...
// - file-size limit while recording: RecordFileTest.FullDisk... and FileLeft
//   EmptyByAFullDisk...; while replacing Config.ini: FileReplaceTest.
//   AWriteThatFailsHalfWayKeepsTheOldFile and AFolderWithoutRoomFor...
// - unwritable record folder: RecordFileTest.ReadOnlyFolderLosesNewRows...,
//   MissingParentUsesUpRows..., SomethingElseInTheFilesPlace...
// - huge Config.ini: ConfigurationStore.AnOversizedFileGivesTheDefaults...,
//   IniFileOnDisk.AFileBeyondTheCap...; unreadable or read-only:
//   IniFileOnDisk.AFileThatCannotBeRead..., ConfigurationStore.ReadOnly...;
//   any bytes: IniReaderFuzzer.
// - corrupt registry file: RegistryTest.DamagedLinesCostOnlyThemselves,
//   AFifoIsNoRegistry..., AnOversizedRegistry...; RegistryDocumentFuzzer.
// - chart library that is not a library: ServerLibraryTest.MissingFilesAnd
//   EntryPointsAreReported; the monitor without its chart: ChartRegistration
//   Test.AChartThatCannotBeHadEvenRegisteredAgainEndsTheMonitor.
// - SIGTERM while the closing save is under way: ProgramRun.FurtherSignals
//   ChangeNothingOnceTheCloseIsUnderWay; the save itself replaces the file in
//   one rename, so an end at any moment leaves the old file or the new one.
#include "monitor/core/RecordFile.h"
#include "tests/app/MonitorWindowFixture.h"

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <fstream>
#include <regex>

namespace kelvo {
namespace {

using namespace mainwindow;
namespace fs = std::filesystem;

class FaultMatrixTest : public MonitorWindowFixture {
protected:
    // The one record file in a folder.
    static std::string RecordFile(const fs::path& records) {
        std::vector<fs::path> files(fs::directory_iterator(records), {});
        EXPECT_EQ(files.size(), 1U);
        return files.size() == 1 ? testing::TemporaryDirectory::ReadFile(files.front()) : "";
    }
    // Each second as the timers give it: the read tick, then the record tick.
    void Second() {
        Tick(readTimerId);
        Tick(recordTimerId);
    }
};

// Whole lines only, numbered from 1 on, after the header.
void ExpectWholeRows(const std::string& contents, int rows) {
    const std::regex row("[0-9]+,[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8},[0-9.]+ C,0.00 C");
    std::istringstream lines(contents);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "NO,DateTime,Inner,Outer,\r");
    int count = 0;
    while (std::getline(lines, line)) {
        ASSERT_FALSE(line.empty() || line.back() != '\r') << "a partial line: " << line;
        line.pop_back();
        EXPECT_TRUE(std::regex_match(line, row)) << line;
        ++count;
    }
    EXPECT_EQ(count, rows);
    EXPECT_EQ(contents.back(), '\n');
}

TEST_F(FaultMatrixTest, ThermometerUnpluggedBetweenCommandAndAnswer) {
    const auto records = folder / "records";
    WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSaveInterval=1\r\n"
                "SaveFileDirectroy=" +
                records.string() + "\r\n");
    Start(1, "20");
    window->recordClock = [] { return std::time_t{1700000000}; };
    for (int second = 0; second < 3; ++second) {
        Second();
    }
    const std::string written = RecordFile(records);
    ExpectWholeRows(written, 2);

    // The read pass stands between its command and the answer's read.
    pause.Hold();
    window->OnTimer(readTimerId);
    ASSERT_TRUE(pause.WaitUntilReached());
    platform->Unplug(0);
    pause.Release();
    window->WaitForSamplingPass();

    EXPECT_EQ(Text(innerReadoutId), "Watting") << "the user sees that reading stopped";
    EXPECT_TRUE(window->deviceMissing);
    EXPECT_FALSE(window->IsTimerRunning(recordTimerId));
    EXPECT_EQ(RecordFile(records), written) << "rows written before are kept";

    platform->Replug(0);
    Tick(retryTimerId);
    ASSERT_FALSE(window->deviceMissing);
    for (int second = 0; second < 3; ++second) {
        Second();
    }
    const std::string resumed = RecordFile(records);
    EXPECT_EQ(resumed.rfind(written, 0), 0U);
    ExpectWholeRows(resumed, 5);
    EXPECT_TRUE(messages.empty());
}

// A small tmpfs of the test's own, so that a full disk is a real one: the
// kernel's "No space left on device" at the record file and at Config.ini.
class FullDisk : public FaultMatrixTest {
protected:
    void SetUp() override {
        FaultMatrixTest::SetUp();
        disk = folder / "disk";
        fs::create_directory(disk);
        if (::mount("kelvo-full-disk", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=256k,mode=0700") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                         << "); the file-size limit tests cover the failing writes";
        }
        mounted = true;
        fs::current_path(disk); // Config.ini is read and saved here
    }
    void TearDown() override {
        FaultMatrixTest::TearDown();
        if (mounted) {
            ::umount2(disk.c_str(), MNT_DETACH);
        }
    }

    // Fills the disk to its last bytes.
    void Fill() {
        std::ofstream filler(disk / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
            filler.flush();
        }
        filler.clear();
        for (int byte = 0; byte < 4096 && filler.put('x') && filler.flush(); ++byte) {
        }
    }

    fs::path disk;
    bool mounted = false;
};

TEST_F(FullDisk, RecordingAndSavingSettingsLoseNothingWrittenAndTellWhy) {
    const auto records = disk / "records";
    const std::string config = "[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\n"
                               "SaveInterval=1\r\nSaveFileDirectroy=" +
                               records.string() + "/\r\n";
    testing::TemporaryDirectory::WriteFile(disk / "Config.ini", config);
    Start(1, "20");
    std::time_t now = 1700000000;
    window->recordClock = [&now] { return now; };
    for (int second = 0; second < 3; ++second) {
        Second();
    }
    std::string written = RecordFile(records);
    ExpectWholeRows(written, 2);

    Fill();
    ::testing::internal::CaptureStderr();
    // The file's last page still takes rows; the first row past it finds no room.
    int rows = 2;
    std::string full;
    for (int second = 0; second < 400; ++second) {
        ++now;
        Second();
        full = RecordFile(records);
        if (full == written) {
            break;
        }
        written = full;
        rows = window->recordRowNumber;
    }
    ASSERT_EQ(window->recordRowNumber, rows + 1) << "the disk never filled";
    const std::time_t firstLost = now;
    for (int second = 0; second < 2; ++second) {
        ++now;
        Second();
    }
    window->readInterval = 7; // a changed setting that cannot be saved
    window->SaveConfiguration();
    EXPECT_EQ(RecordFile(records), written) << "the full disk cut no row in half";
    ExpectWholeRows(written, rows);
    EXPECT_EQ(testing::TemporaryDirectory::ReadFile(disk / "Config.ini"), config);

    fs::remove(disk / "filler");
    ++now;
    Second();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ExpectWholeRows(RecordFile(records), rows + 1);
    const std::string file = records.string() + "/" + MakeRecordFileName(1700000000);
    EXPECT_NE(errors.find(": " + FormatLocalDateTime(firstLost) + " record row " +
                          std::to_string(rows + 1) + " not written to " + file +
                          ": No space left on device; rows are lost until one can be written\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(errors.find("record row " + std::to_string(rows + 2)), std::string::npos)
        << "one line for the whole run";
    EXPECT_NE(errors.find(" record rows written again from row " + std::to_string(rows + 4) +
                          " of " + file + "\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find(" settings not saved to " + (disk / "Config.ini").string() +
                          ": No space left on device; the file keeps what it held\n"),
              std::string::npos)
        << errors;

    window->SaveConfiguration();
    EXPECT_NE(testing::TemporaryDirectory::ReadFile(disk / "Config.ini").find("ReadInterval=7\r\n"),
              std::string::npos)
        << "saved once there is room";
}

TEST_F(FaultMatrixTest, DamagedConfigIniStartsReadingAndIsSavedWhole) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        int readInterval; // what survives of the file
    };
    const std::string good = "[ConfigInfo]\r\nReadInterval=2\r\nEmailConfig1=smtp.kelvo.test|^|a@";
    const Case cases[] = {
        {"binary",
         "\x7f"
         "ELF\x02\x01\x00\x00\xff\xfe[Config\x00Info]\r\n"s,
         5},
        {"truncated in a mail row", good, 2},
        {"binary after the settings", good.substr(0, 28) + "\x00\x01\xff\r\n\x00"s, 2},
    };
    for (const Case& example : cases) {
        SCOPED_TRACE(example.name);
        WriteConfig(example.bytes);
        Start(1, "20");
        EXPECT_EQ(window->readInterval, example.readInterval);
        for (int tick = 0; tick <= example.readInterval * 2; ++tick) {
            Tick(readTimerId);
        }
        EXPECT_EQ(Text(innerReadoutId), "20.00 C");
        window->OnClose();
        window.reset();
        const std::string saved = testing::TemporaryDirectory::ReadFile(folder / "Config.ini");
        // Saved in the file's own line ends, what was there before kept.
        const std::string key = "\nReadInterval=" + std::to_string(example.readInterval);
        EXPECT_TRUE(saved.find(key + "\n") != std::string::npos ||
                    saved.find(key + "\r\n") != std::string::npos)
            << saved;
        EXPECT_EQ(saved.rfind(example.bytes.substr(0, 12), 0), 0U);
        // The next start reads what the close saved.
        Start(1, "20");
        EXPECT_EQ(window->readInterval, example.readInterval);
        window.reset();
    }
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace kelvo
