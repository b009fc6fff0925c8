#include "chart/ChartIds.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"
#include "plotframe/PlotFrameIds.h"
#include "tests/platform/com/TemporaryRegistry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace kelvo {
namespace {

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

// Runs kelvo-regsvr with the arguments, its output and errors together.
CommandResult RegisterCommand(const std::string& arguments) {
    const std::string command = std::string(KELVO_REGSVR) + " " + arguments + " 2>&1";
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        result.output += buffer;
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(PlotFrameLibraryTest, TheCommandRegistersAndUnregistersBothLibraries) {
    TemporaryRegistry registry;
    for (const char* library : {KELVO_CHART_LIBRARY, KELVO_FRAME_LIBRARY}) {
        const CommandResult result = RegisterCommand(library);
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_NE(result.output.find("registered"), std::string::npos);
    }
    ClassRecord frame;
    ASSERT_EQ(FindClass(PlotraFrmClassId, &frame), results::Ok);
    EXPECT_TRUE(frame.control);
    EXPECT_EQ(frame.progId, PlotraFrmProgId);
    EXPECT_EQ(frame.library, std::filesystem::canonical(KELVO_FRAME_LIBRARY));
    TypeLibraryRecord library;
    ASSERT_EQ(FindTypeLibrary(PlotFrameLibraryId, &library), results::Ok);
    EXPECT_EQ(library.name, "PlotFrameCtl");
    EXPECT_EQ(library.version, "1.0");
    EXPECT_EQ(library.locale, "0x0409");
    EXPECT_EQ(library.flags, "control");
    Guid chart;
    EXPECT_EQ(FindClassId(ChartProgId, &chart), results::Ok);
    DeclaredInterface declared;
    ASSERT_EQ(FindInterface(PlotraFrmInterfaceId, &declared), results::Ok);
    EXPECT_EQ(declared.name, "_PlotraFrm");
    EXPECT_EQ(declared.typeLibrary, PlotFrameLibraryId);
    EXPECT_EQ(declared.flags, "dual hidden nonextensible oleautomation");
    ASSERT_EQ(FindInterface(PlotraFrmEventsId, &declared), results::Ok);
    EXPECT_EQ(declared.name, "__PlotraFrm");
    EXPECT_EQ(declared.flags, "dispatch hidden nonextensible noevents");

    const CommandResult removed = RegisterCommand(std::string("-u ") + KELVO_FRAME_LIBRARY);
    EXPECT_EQ(removed.exitCode, 0) << removed.output;
    EXPECT_EQ(FindClass(PlotraFrmClassId, &frame), results::ClassNotRegistered);
    EXPECT_EQ(FindTypeLibrary(PlotFrameLibraryId, &library), results::ClassNotRegistered);
    EXPECT_EQ(FindInterface(PlotraFrmInterfaceId, &declared), results::ClassNotRegistered);
    EXPECT_EQ(FindClassId(ChartProgId, &chart), results::Ok);
}

TEST(PlotFrameLibraryTest, TheCommandSaysWhyItCannotRegister) {
    TemporaryRegistry registry;
    const auto text = registry.Folder() / "text.ocx";
    std::ofstream(text) << "no library";
    // A registry under a plain file cannot be written: the library refuses.
    const auto blocked = registry.Folder() / "blocked";
    std::ofstream(blocked) << "";
    const struct {
        std::string arguments;
        const char* registryFile;
        int exitCode;
        const char* message;
    } cases[] = {
        {(registry.Folder() / "none.ocx").string(), nullptr, 1, "no such file"},
        {text.string(), nullptr, 1, "not a loadable library"},
        {registry.Folder().string(), nullptr, 1, "not a file"},
        {KELVO_NO_EXPORTS, nullptr, 1, "exports no DllRegisterServer"},
        {std::string("-u ") + KELVO_NO_EXPORTS, nullptr, 1, "exports no DllUnregisterServer"},
        {KELVO_FRAME_LIBRARY, "blocked/registry.ini", 1,
         "DllRegisterServer refused with 0x8007001D"},
        {"", nullptr, 2, "usage: kelvo-regsvr [-u] LIBRARY"},
        {"-u", nullptr, 2, "usage"},
        {std::string("-x ") + KELVO_FRAME_LIBRARY, nullptr, 2, "usage"},
    };
    for (const auto& c : cases) {
        if (c.registryFile)
            setenv("KELVO_REGISTRY", (registry.Folder() / c.registryFile).c_str(), 1);
        const CommandResult result = RegisterCommand(c.arguments);
        setenv("KELVO_REGISTRY", registry.Path().c_str(), 1);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments << ": " << result.output;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(registry.Path()));
}

TEST(PlotFrameLibraryTest, TheLibraryCarriesItsNameAndVersion) {
    EXPECT_EQ(std::filesystem::path(KELVO_FRAME_LIBRARY).filename(), PlotFrameLibraryFileName);
    std::ifstream file(KELVO_FRAME_LIBRARY, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const std::string image = bytes.str();
    for (const char* entry :
         {"ProductName=PlotFrameCtl", "InternalName=PlotFrameCtl",
          "OriginalFilename=PlotFrameCtl.ocx", "FileVersion=1.00", "ProductVersion=1.00",
          "OLESelfRegister", ".kelvo_version", "! XPM2\n16 15 "})
        EXPECT_NE(image.find(entry), std::string::npos) << entry;

    std::unique_ptr<ServerLibrary> library;
    ASSERT_EQ(ServerLibrary::Open(KELVO_FRAME_LIBRARY, &library), results::Ok);
    for (const char* name :
         {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"})
        EXPECT_TRUE(library->HasExport(name)) << name;
    // Nothing else of the library's code is visible to its hosts.
    EXPECT_FALSE(library->HasExport("PlotFrameVersionInformation"));
}

} // namespace
} // namespace kelvo
