#include "platform/module/ProgramModule.h"

#include "monitor/mail/TlsChannel.h"
#include "monitor/mail/TlsModule.h"
#include "platform/sound/WavePlayerModule.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvo {
namespace {

using sound::waveModuleEntry;
using sound::waveModuleFile;
using testing::TemporaryDirectory;

// Beside the program in the build's run folder, and in the private library
// folder of an installed program; the channel made inside the module works
// through the program's own view of it.
TEST(ProgramModule, FindsTheModuleBesideTheProgramOrInTheInstalledLibraryFolder) {
    TemporaryDirectory install;
    std::filesystem::create_directories(install / "bin");
    std::filesystem::create_directories(install / INSTALL_LIBRARYDIR);
    std::filesystem::copy_file(TLS_MODULE_PATH, install / INSTALL_LIBRARYDIR / tlsModuleFile);
    const std::filesystem::path built = std::filesystem::path(TLS_MODULE_PATH).parent_path();
    for (const std::filesystem::path& program : {built / "kelvomon", install / "bin/kelvomon"}) {
        SCOPED_TRACE(program);
        std::string problem;
        void* entry = FindModuleEntry(program, tlsModuleFile, tlsModuleEntry, problem);
        ASSERT_NE(entry, nullptr) << problem;
        const std::unique_ptr<TlsChannel> channel(reinterpret_cast<TlsModuleEntry>(entry)());
        int sockets[2] = {-1, -1};
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
        EXPECT_FALSE(channel->Begin(sockets[0], "localhost", (install / "none.pem").string()));
        EXPECT_NE(channel->Problem().find("none.pem cannot be read"), std::string::npos)
            << channel->Problem();
        ::close(sockets[0]);
        ::close(sockets[1]);
    }
}

TEST(ProgramModule, SaysWhereItLookedWhenNoPlaceHoldsTheModuleOrItsEntry) {
    TemporaryDirectory folder;
    const std::filesystem::path program = folder / "bin/kelvomon";
    std::string problem;
    EXPECT_EQ(FindModuleEntry(program, waveModuleFile, waveModuleEntry, problem), nullptr);
    EXPECT_NE(problem.find((folder / "bin" / waveModuleFile).string()), std::string::npos)
        << problem;
    EXPECT_NE(problem.find((folder / INSTALL_LIBRARYDIR / waveModuleFile).string()),
              std::string::npos)
        << problem;

    // A library of that name that is not the module.
    std::filesystem::create_directories(folder / "bin");
    std::filesystem::copy_file(TLS_MODULE_PATH, folder / "bin" / waveModuleFile);
    EXPECT_EQ(FindModuleEntry(program, waveModuleFile, waveModuleEntry, problem), nullptr);
    EXPECT_NE(problem.find(std::string("has no ") + waveModuleEntry), std::string::npos) << problem;
}

} // namespace
} // namespace kelvo
