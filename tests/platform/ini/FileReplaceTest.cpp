#include "platform/ini/FileReplace.h"

#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

using testing::TemporaryDirectory;

class FileReplace : public ::testing::Test {
protected:
    std::size_t EntryCount() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(directory.Path())) {
            ++count;
        }
        return count;
    }

    TemporaryDirectory directory;
    const std::filesystem::path path = directory / "Config.ini";
};

TEST_F(FileReplace, ReadsWhatItWroteAndTellsMissingFromUnreadable) {
    std::string contents = "stale";
    EXPECT_EQ(ReadWholeFile(path, contents), FileReadResult::missing);
    EXPECT_EQ(contents, "");
    EXPECT_EQ(ReadWholeFile(directory / "no-folder/Config.ini", contents), FileReadResult::missing);
    EXPECT_EQ(ReadWholeFile(directory.Path(), contents), FileReadResult::failed);

    const std::string bytes("a\0b\r\n", 5);
    ASSERT_TRUE(ReplaceFileContents(path, bytes));
    EXPECT_EQ(ReadWholeFile(path, contents), FileReadResult::read);
    EXPECT_EQ(contents, bytes);
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file is left behind";
}

TEST_F(FileReplace, KeepsPermissionsAndSymbolicLinks) {
    TemporaryDirectory::WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::filesystem::path link = directory / "link.ini";
    std::filesystem::create_symlink(path, link);

    ASSERT_TRUE(ReplaceFileContents(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), "new");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(FileReplace, FailsWithoutTouchingWhatCannotBeReplaced) {
    EXPECT_FALSE(ReplaceFileContents(directory / "no-folder/Config.ini", "x"));
    std::filesystem::create_directory(path);
    EXPECT_FALSE(ReplaceFileContents(path, "x"));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(FileReplace, ReadOnlyFileIsLeftAlone) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write any file";
    }
    TemporaryDirectory::WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(ReplaceFileContents(path, "new"));
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), "old");
}

TEST_F(FileReplace, AWriteThatFailsHalfWayKeepsTheOldFile) {
    TemporaryDirectory::WriteFile(path, "[ConfigInfo]\nUnit=F\n");
    // A file-size limit makes the write fail after its first bytes, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = ReplaceFileContents(path, std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(replaced);
    EXPECT_EQ(TemporaryDirectory::ReadFile(path), "[ConfigInfo]\nUnit=F\n");
    EXPECT_EQ(EntryCount(), 1u) << "the partial temporary file is removed";
}

} // namespace
} // namespace kelvo
