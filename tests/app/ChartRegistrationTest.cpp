#include "monitor/app/ChartRegistration.h"
#include "chart/ChartIds.h"
#include "platform/com/Registry.h"
#include "tests/app/MonitorWindowFixture.h"

#include <cstdlib>

namespace kelvo {
namespace {

// Each case starts with a registry file of its own that may not know the chart.
class ChartRegistrationTest : public MonitorWindowFixture {
protected:
    void SetUp() override {
        MonitorWindowFixture::SetUp();
        previousRegistry = std::getenv("KELVO_REGISTRY");
        ::setenv("KELVO_REGISTRY", (folder / "registry.ini").c_str(), 1);
    }
    void TearDown() override {
        ::setenv("KELVO_REGISTRY", previousRegistry.c_str(), 1);
        MonitorWindowFixture::TearDown();
    }

    bool Ensure() {
        return EnsureChartControl([this](const std::string& text) { messages.push_back(text); });
    }

    void PlaceLibrary(const char* source) {
        std::filesystem::copy_file(source, folder / "Plotra5.ocx");
    }

    // The registry's entries as a start from another folder left them.
    static void RegisterChartAt(const std::filesystem::path& library) {
        ASSERT_TRUE(Succeeded(RegisterClass({ChartClassId, ChartProgId, "Chart", library, true})));
        ASSERT_TRUE(Succeeded(
            RegisterClass({CommandBarClassId, CommandBarProgId, "Command bar", library, true})));
    }

    // A window on one thermometer whose end of the process is caught.
    bool StartWindow() {
        platform = std::make_shared<SimulatedHidPlatform>(1);
        SetProcessHidPlatform(platform);
        window = std::make_unique<CMainDlg>([](std::chrono::milliseconds) {});
        window->endProcess = [this](int code) { exitCodes.push_back(code); };
        return window->Initialise();
    }

    std::string previousRegistry;
    std::vector<int> exitCodes;
};

TEST_F(ChartRegistrationTest, AMissingFileIsNamedWithItsFullPath) {
    EXPECT_FALSE(Ensure());
    const std::string path = (std::filesystem::current_path() / "Plotra5.ocx").string();
    EXPECT_EQ(messages, std::vector<std::string>{path + "Could not find the file :"});
}

TEST_F(ChartRegistrationTest, ALibraryWithoutRegistrationFailsSilently) {
    PlaceLibrary(NO_EXPORTS_PATH);
    EXPECT_FALSE(Ensure());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ChartRegistrationTest, AFailingRegistrationIsReported) {
    PlaceLibrary(PLOTRA_PATH);
    // A registry that cannot be written: its folder is a plain file.
    testing::TemporaryDirectory::WriteFile(folder / "blocked", "");
    ::setenv("KELVO_REGISTRY", (folder / "blocked" / "registry.ini").c_str(), 1);
    EXPECT_FALSE(Ensure());
    EXPECT_EQ(messages, std::vector<std::string>{"register Active control faild"});
}

TEST_F(ChartRegistrationTest, RegistersOnceAndFindsItAfterwards) {
    PlaceLibrary(PLOTRA_PATH);
    EXPECT_TRUE(Ensure());
    Guid classId;
    EXPECT_TRUE(Succeeded(FindClassId("Plotra.PChart", &classId)));
    std::filesystem::remove(folder / "Plotra5.ocx");
    EXPECT_TRUE(Ensure()) << "a registered chart needs no file in the folder";
    EXPECT_TRUE(messages.empty());
}

TEST_F(ChartRegistrationTest, WithoutTheChartTheMonitorEndsWithExitCodeZeroAndSavesNothing) {
    platform = std::make_shared<SimulatedHidPlatform>(1);
    SetProcessHidPlatform(platform);
    window = std::make_unique<CMainDlg>(pause.Function());
    std::vector<int> exitCodes;
    window->endProcess = [&exitCodes](int code) { exitCodes.push_back(code); };
    EXPECT_FALSE(window->Initialise());
    const std::string path = (std::filesystem::current_path() / "Plotra5.ocx").string();
    EXPECT_EQ(messages, (std::vector<std::string>{path + "Could not find the file :",
                                                  "could not load Active X control!"}));
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_FALSE(std::filesystem::exists(folder / "Config.ini"));
}

TEST_F(ChartRegistrationTest, AChartRegisteredFromAFolderThatIsGoneIsRegisteredHereAgain) {
    RegisterChartAt(folder / "gone" / "Plotra5.ocx");
    PlaceLibrary(PLOTRA_PATH);
    EXPECT_TRUE(StartWindow());
    EXPECT_TRUE(window->curvePage.chart.IsCreated());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(exitCodes.empty());
    ClassRecord record;
    ASSERT_TRUE(Succeeded(FindClass(ChartClassId, &record)));
    EXPECT_EQ(record.library, (std::filesystem::current_path() / "Plotra5.ocx").string());
}

TEST_F(ChartRegistrationTest, AChartThatCannotBeHadEvenRegisteredAgainEndsTheMonitor) {
    const std::string path = (std::filesystem::current_path() / "Plotra5.ocx").string();
    struct Case {
        const char* library; // placed in the folder, or none
        std::vector<std::string> messages;
    };
    for (const Case& run :
         {Case{nullptr, {path + "Could not find the file :", "could not load Active X control!"}},
          Case{NO_EXPORTS_PATH, {"could not load Active X control!"}}}) {
        std::filesystem::remove(folder / "Plotra5.ocx");
        if (run.library != nullptr) {
            PlaceLibrary(run.library);
        }
        RegisterChartAt("/nonexistent/Plotra5.ocx");
        messages.clear();
        exitCodes.clear();
        EXPECT_FALSE(StartWindow());
        EXPECT_EQ(messages, run.messages);
        EXPECT_EQ(exitCodes, std::vector<int>{0});
        EXPECT_FALSE(std::filesystem::exists(folder / "Config.ini"));
    }
}

} // namespace
} // namespace kelvo
