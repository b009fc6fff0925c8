#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;

// An installed tree as the install rules lay it out, with a stand-in for the
// monitor that notes the folder it was started in and its arguments.
class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = folder / "prefix";
        fs::create_directories(prefix / "bin");
        fs::copy_file(KELVOMON_LAUNCH_PATH, prefix / "bin/kelvomon-launch");
        TemporaryDirectory::WriteFile(
            prefix / "bin/kelvomon", "#!/bin/sh\npwd > '" + (folder / "ran").string() +
                                         "'\necho \"$@\" >> '" + (folder / "ran").string() + "'\n");
        fs::permissions(prefix / "bin/kelvomon", fs::perms::owner_all, fs::perm_options::add);
        library = prefix / LIBRARY_FOLDER / "Plotra5.ocx";
        fs::create_directories(library.parent_path());
        TemporaryDirectory::WriteFile(library, "library");
        sounds = prefix / SOUND_FOLDER;
        fs::create_directories(sounds);
        for (const char* name : {"Alarm.wav", "Beeps.wav"}) {
            TemporaryDirectory::WriteFile(sounds / name, "sound");
        }
        home = folder / "home";
        fs::create_directories(home);
    }

    struct Run {
        int exitCode = -1;
        std::string errors;
        std::string programRun; // the stand-in's notes; empty when it did not run
    };

    // Runs the launcher with only the given environment, as a desktop would.
    Run Launch(const std::vector<std::string>& environment) {
        fs::remove(folder / "ran");
        std::string command = "env -i PATH=/usr/bin:/bin";
        for (const std::string& variable : environment) {
            command += " '" + variable + "'";
        }
        command += " '" + (prefix / "bin/kelvomon-launch").string() + "' first second 2> '" +
                   (folder / "errors").string() + "'";
        const int status = std::system(command.c_str());
        Run run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.errors = TemporaryDirectory::ReadFile(folder / "errors");
        run.programRun = TemporaryDirectory::ReadFile(folder / "ran");
        return run;
    }

    std::string HomeVariable() const { return "HOME=" + home.string(); }

    TemporaryDirectory folder;
    fs::path prefix;
    fs::path library;
    fs::path sounds;
    fs::path home;
};

TEST_F(LauncherTest, FirstStartMakesAPrivateWorkingFolderWithLinksToTheInstalledFiles) {
    const fs::path data = folder / "data";
    const Run run = Launch({HomeVariable(), "XDG_DATA_HOME=" + data.string()});
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    const fs::path work = data / "kelvo/work";
    EXPECT_EQ(run.programRun, work.string() + "\nfirst second\n");
    struct stat status {};
    ASSERT_EQ(::stat(work.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(fs::read_symlink(work / "Plotra5.ocx"), library);
    EXPECT_EQ(fs::read_symlink(work / "wav/Alarm.wav"), sounds / "Alarm.wav");
    EXPECT_EQ(fs::read_symlink(work / "wav/Beeps.wav"), sounds / "Beeps.wav");
    // The registry file's folder holds nothing of the launcher's but work/.
    std::vector<fs::path> entries(fs::directory_iterator(data / "kelvo"), {});
    EXPECT_EQ(entries, std::vector<fs::path>{work});
}

TEST_F(LauncherTest, FindsTheDataFolderAsTheRegistryDoes) {
    const struct {
        const char* name;
        std::vector<std::string> environment;
        fs::path work;
    } cases[] = {
        {"absolute XDG_DATA_HOME",
         {HomeVariable(), "XDG_DATA_HOME=" + (folder / "data").string()},
         folder / "data/kelvo/work"},
        {"no XDG_DATA_HOME", {HomeVariable()}, home / ".local/share/kelvo/work"},
        {"relative XDG_DATA_HOME",
         {HomeVariable(), "XDG_DATA_HOME=relative"},
         home / ".local/share/kelvo/work"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const Run run = Launch(testCase.environment);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(run.programRun.substr(0, run.programRun.find('\n')), testCase.work.string());
    }
}

TEST_F(LauncherTest, LaterStartsKeepTheUsersFilesAndMendOnlyLinksThatLeadNowhere) {
    const std::vector<std::string> environment = {HomeVariable()};
    ASSERT_EQ(Launch(environment).exitCode, 0);
    const fs::path work = home / ".local/share/kelvo/work";

    fs::remove(work / "wav/Beeps.wav");
    TemporaryDirectory::WriteFile(work / "wav/Own.wav", "own sound");
    fs::remove(work / "wav/Alarm.wav");
    fs::create_symlink(folder / "moved/Alarm.wav", work / "wav/Alarm.wav");
    fs::remove(work / "Plotra5.ocx");
    const Run mended = Launch(environment);
    ASSERT_EQ(mended.exitCode, 0) << mended.errors;
    EXPECT_EQ(fs::read_symlink(work / "Plotra5.ocx"), library);
    EXPECT_EQ(fs::read_symlink(work / "wav/Alarm.wav"), sounds / "Alarm.wav");
    EXPECT_FALSE(fs::exists(fs::symlink_status(work / "wav/Beeps.wav")));
    EXPECT_EQ(TemporaryDirectory::ReadFile(work / "wav/Own.wav"), "own sound");

    fs::remove(work / "Plotra5.ocx");
    TemporaryDirectory::WriteFile(work / "Plotra5.ocx", "the user's own build");
    ASSERT_EQ(Launch(environment).exitCode, 0);
    EXPECT_FALSE(fs::is_symlink(work / "Plotra5.ocx"));
    EXPECT_EQ(TemporaryDirectory::ReadFile(work / "Plotra5.ocx"), "the user's own build");
}

TEST_F(LauncherTest, SaysWhyItCannotMakeTheWorkingFolderAndRunsNothing) {
    TemporaryDirectory::WriteFile(folder / "file", "not a folder");
    const struct {
        const char* name;
        std::vector<std::string> environment;
        const char* message;
    } cases[] = {
        {"no HOME", {}, "neither XDG_DATA_HOME nor HOME is set"},
        {"data folder under a file",
         {"XDG_DATA_HOME=" + (folder / "file/data").string()},
         "cannot make"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const Run run = Launch(testCase.environment);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find(testCase.message), std::string::npos) << run.errors;
        EXPECT_EQ(run.programRun, "");
    }
}

} // namespace
} // namespace kelvo
