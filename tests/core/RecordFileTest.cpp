#include "monitor/core/RecordFile.h"

#include "tests/platform/autostart/WithoutRoot.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

const std::time_t start = LocalTime(2011, 3, 5, 9, 7, 2);
constexpr char firstFile[] = "2011Y3m5d9H7M2S.csv";
constexpr char header[] = "NO,DateTime,Inner,Outer,\r\n";

TEST(RecordFileTexts, NamesAndTimes) {
    EXPECT_EQ(MakeRecordFileName(start), firstFile);
    EXPECT_EQ(MakeRecordFileName(LocalTime(2026, 12, 31, 23, 59, 58)), "2026Y12m31d23H59M58S.csv");
    EXPECT_EQ(FormatLocalDateTime(start), "2011-03-05 09:07:02");
}

class RecordFile : public ::testing::Test {
protected:
    void SetUp() override {
        state.recordDirectory = folder.string();
        state.innerCurrent = 25.5;
        state.outerCurrent = 0.0;
    }

    std::string Read(const std::string& name) const {
        return TemporaryDirectory::ReadFile(folder / name);
    }

    TemporaryDirectory temporary;
    const fs::path folder = temporary / "records";
    MonitorState state;
};

TEST_F(RecordFile, SaveItemsRowsPerFileThenTheNextFileByItsOwnTime) {
    state.saveItems = 3;
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(WriteRecordRow(state, start + row));
    }
    EXPECT_EQ(Read(firstFile), std::string(header) + "1,2011-03-05 09:07:02,25.50 C,0.00 C\r\n" +
                                   "2,2011-03-05 09:07:03,25.50 C,0.00 C\r\n" +
                                   "3,2011-03-05 09:07:04,25.50 C,0.00 C\r\n");
    EXPECT_EQ(Read("2011Y3m5d9H7M5S.csv"),
              std::string(header) + "1,2011-03-05 09:07:05,25.50 C,0.00 C\r\n");
    EXPECT_EQ(state.recordFileName, "2011Y3m5d9H7M5S.csv");
    EXPECT_EQ(state.recordRowNumber, 1);
}

TEST_F(RecordFile, FolderIsCreatedAndTheSettingGainsItsSeparator) {
    ASSERT_FALSE(fs::exists(folder));
    WriteRecordRow(state, start);
    EXPECT_EQ(state.recordDirectory, folder.string() + "/");
    EXPECT_TRUE(fs::is_regular_file(folder / firstFile));
    WriteRecordRow(state, start + 1);
    EXPECT_EQ(state.recordDirectory, folder.string() + "/");
}

TEST_F(RecordFile, TwoFilesInOneSecondShareOneFileAndOneHeader) {
    state.saveItems = 1;
    WriteRecordRow(state, start);
    WriteRecordRow(state, start);
    EXPECT_EQ(Read(firstFile), std::string(header) + "1,2011-03-05 09:07:02,25.50 C,0.00 C\r\n" +
                                   "1,2011-03-05 09:07:02,25.50 C,0.00 C\r\n");
}

TEST_F(RecordFile, UnitSwitchGivesBothUnitsInOneFile) {
    WriteRecordRow(state, start);
    state.isCelsius = false;
    state.innerCurrent = 77.9;
    state.outerCurrent = 32.0;
    WriteRecordRow(state, start + 1);
    EXPECT_EQ(Read(firstFile), std::string(header) + "1,2011-03-05 09:07:02,25.50 C,0.00 C\r\n" +
                                   "2,2011-03-05 09:07:03,77.90 F,32.00 F\r\n");
}

TEST_F(RecordFile, DeletedFileComesBackWithItsHeaderAndTheNumberingGoesOn) {
    WriteRecordRow(state, start);
    fs::remove(folder / firstFile);
    WriteRecordRow(state, start + 1);
    EXPECT_EQ(Read(firstFile), std::string(header) + "2,2011-03-05 09:07:03,25.50 C,0.00 C\r\n");

    // The whole folder gone: its last level is made again.
    fs::remove_all(folder);
    WriteRecordRow(state, start + 2);
    EXPECT_EQ(Read(firstFile), std::string(header) + "3,2011-03-05 09:07:04,25.50 C,0.00 C\r\n");
}

TEST_F(RecordFile, MissingParentUsesUpRowsUntilItIsBack) {
    state.recordDirectory = (temporary / "gone" / "records").string();
    EXPECT_FALSE(WriteRecordRow(state, start));
    EXPECT_FALSE(fs::exists(temporary / "gone")); // only the last level is made
    EXPECT_EQ(state.recordRowNumber, 1);

    fs::create_directory(temporary / "gone");
    EXPECT_TRUE(WriteRecordRow(state, start + 1));
    EXPECT_EQ(TemporaryDirectory::ReadFile(temporary / "gone" / "records" / firstFile),
              std::string(header) + "2,2011-03-05 09:07:03,25.50 C,0.00 C\r\n");
}

TEST_F(RecordFile, ReadOnlyFolderLosesNewRowsButKeepsTheOldFile) {
    state.saveItems = 1;
    WriteRecordRow(state, start);
    const std::string written = Read(firstFile);
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(temporary.Path(), fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(folder, readOnly);

    // The next row starts a file that the folder does not let anyone create.
    const int result = testing::RunWithoutRoot([this] {
        MonitorState copy = state;
        return WriteRecordRow(copy, start + 1) ? 1 : 0;
    });
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Read(firstFile), written);
    EXPECT_FALSE(fs::exists(folder / "2011Y3m5d9H7M3S.csv"));
}

// Lowers the file size limit for the life of the object; writes past it fail
// with EFBIG instead of ending the process, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

TEST_F(RecordFile, FullDiskTakesBackTheHalfRowAndLaterRowsAreWhole) {
    WriteRecordRow(state, start);
    const std::string written = Read(firstFile);
    {
        const FileSizeLimit limit(written.size() + 10); // part of a row fits
        EXPECT_FALSE(WriteRecordRow(state, start + 1));
    }
    EXPECT_EQ(Read(firstFile), written);
    EXPECT_TRUE(WriteRecordRow(state, start + 2));
    EXPECT_EQ(Read(firstFile), written + "3,2011-03-05 09:07:04,25.50 C,0.00 C\r\n");
}

TEST_F(RecordFile, FileLeftEmptyByAFullDiskStillGetsItsHeader) {
    {
        const FileSizeLimit limit(5); // not even the header fits
        EXPECT_FALSE(WriteRecordRow(state, start));
    }
    ASSERT_TRUE(fs::exists(folder / firstFile));
    EXPECT_EQ(fs::file_size(folder / firstFile), 0u);
    EXPECT_TRUE(WriteRecordRow(state, start + 1));
    EXPECT_EQ(Read(firstFile), std::string(header) + "2,2011-03-05 09:07:03,25.50 C,0.00 C\r\n");
}

TEST_F(RecordFile, SomethingElseInTheFilesPlaceIsLeftAlone) {
    fs::create_directories(folder / firstFile);
    EXPECT_FALSE(WriteRecordRow(state, start));
    ASSERT_EQ(::mkfifo((folder / "2011Y3m5d9H7M3S.csv").c_str(), 0600), 0);
    state.saveItems = 1;
    EXPECT_FALSE(WriteRecordRow(state, start + 1)); // a pipe nobody reads must not block
    EXPECT_TRUE(fs::is_directory(folder / firstFile));
}

} // namespace
} // namespace kelvo
