#include "platform/ini/FileReplace.h"

#include "tests/platform/autostart/WithoutRoot.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

    static mode_t Mode(const std::filesystem::path& file) {
        struct stat status {};
        return ::stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
    }

    TemporaryDirectory directory;
    const std::filesystem::path path = directory / "Config.ini";
};

// A process id that no running process has: a child that has ended and been reaped.
pid_t DeadProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

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

TEST_F(FileReplace, ReadsRefuseFilesBeyondTheirCapAndFilesThatAreNoFiles) {
    TemporaryDirectory::WriteFile(path, "12345");
    std::string contents;
    EXPECT_EQ(ReadWholeFile(path, contents, 5), FileReadResult::read);
    EXPECT_EQ(contents, "12345");
    EXPECT_EQ(ReadWholeFile(path, contents, 4), FileReadResult::failed);
    EXPECT_EQ(contents, "");

    // A FIFO without a writer would block a reader that waits for one.
    const std::filesystem::path fifo = directory / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(fifo, contents), FileReadResult::failed);
    EXPECT_EQ(ReadWholeFile("/dev/zero", contents), FileReadResult::failed);
}

TEST_F(FileReplace, NewFilesAreForTheOwnerAloneAndOldOnesKeepTheirMode) {
    const mode_t previousMask = ::umask(022);
    ASSERT_TRUE(ReplaceFileContents(path, "Password=secret"));
    EXPECT_EQ(Mode(path), 0600u) << "it may hold the mail password";
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    ASSERT_TRUE(ReplaceFileContents(path, "new"));
    EXPECT_EQ(Mode(path), 0664u);
    ::umask(previousMask);
}

TEST_F(FileReplace, WritesThroughADanglingLinkToItsTarget) {
    std::filesystem::create_directory(directory / "real");
    const std::filesystem::path link = directory / "Config.ini";
    std::filesystem::create_symlink("real/settings.ini", link);

    ASSERT_TRUE(ReplaceFileContents(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TemporaryDirectory::ReadFile(directory / "real/settings.ini"), "new");

    std::filesystem::create_symlink("loop", directory / "loop");
    EXPECT_FALSE(ReplaceFileContents(directory / "loop", "x"));
}

TEST_F(FileReplace, KeepsTheOwnerAndGroupOfAnotherUsersFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another user";
    }
    TemporaryDirectory::WriteFile(path, "old");
    constexpr uid_t nobody = 65534;
    ASSERT_EQ(::chown(path.c_str(), nobody, nobody), 0);
    ASSERT_TRUE(ReplaceFileContents(path, "new"));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, nobody);
    EXPECT_EQ(status.st_gid, nobody);
}

TEST_F(FileReplace, RemovesTheLeftoversOfDeadWritersOnly) {
    const std::string dead = ".Config.ini.tmp-" + std::to_string(DeadProcessId()) + "-0";
    // Process 1 runs as long as the machine does.
    const std::string alive = ".Config.ini.tmp-1-0";
    const std::string otherFile = ".Other.ini.tmp-" + std::to_string(DeadProcessId()) + "-0";
    for (const std::string& name : {dead, alive, otherFile}) {
        TemporaryDirectory::WriteFile(directory / name, std::string(1000, 'x'));
    }
    ASSERT_TRUE(ReplaceFileContents(path, "new"));
    EXPECT_FALSE(std::filesystem::exists(directory / dead));
    EXPECT_TRUE(std::filesystem::exists(directory / alive));
    EXPECT_TRUE(std::filesystem::exists(directory / otherFile));
}

TEST_F(FileReplace, AFolderWithoutRoomForATemporaryFileGetsTheFileRewrittenInPlace) {
    // The folder refuses new entries to "nobody", the file does not.
    const std::filesystem::path folder = directory / "locked";
    std::filesystem::create_directory(folder);
    const std::filesystem::path file = folder / "Config.ini";
    TemporaryDirectory::WriteFile(file, "[ConfigInfo]\nUnit=F\nReadInterval=60\n");
    ASSERT_EQ(::chmod(directory.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    EXPECT_EQ(testing::RunWithoutRoot([&] { return ReplaceFileContents(file, "short") ? 0 : 1; }),
              0);
    EXPECT_EQ(TemporaryDirectory::ReadFile(file), "short");
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    ::chmod(folder.c_str(), 0755);
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
    // Root may write any file: the check runs as a user, in a folder that
    // would let the file be replaced.
    TemporaryDirectory::WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(directory.Path().c_str(), 0777), 0);
    EXPECT_EQ(testing::RunWithoutRoot([&] { return ReplaceFileContents(path, "new") ? 1 : 0; }), 0);
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
