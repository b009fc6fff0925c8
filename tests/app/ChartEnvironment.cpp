// Every window in these tests hosts the chart: register the built Plotra5.ocx
// once, in a registry file of the test run's own, never in the user's.
#include "platform/com/ServerLibrary.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class ChartEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        folder = std::make_unique<kelvo::testing::TemporaryDirectory>();
        ::setenv("KELVO_REGISTRY", (folder->Path() / "registry.ini").c_str(), 1);
        std::unique_ptr<kelvo::ServerLibrary> library;
        ASSERT_TRUE(kelvo::Succeeded(kelvo::ServerLibrary::Open(PLOTRA_PATH, &library)));
        ASSERT_TRUE(kelvo::Succeeded(library->Register()));
        library->KeepLoaded();
    }
    void TearDown() override { folder.reset(); }

private:
    std::unique_ptr<kelvo::testing::TemporaryDirectory> folder;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ChartEnvironment);

} // namespace
