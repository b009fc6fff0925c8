#include "monitor/app/ChartRegistration.h"
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

    std::string previousRegistry;
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

} // namespace
} // namespace kelvo
