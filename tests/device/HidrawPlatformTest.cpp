#include "monitor/device/HidrawPlatform.h"
#include "monitor/device/ThermometerProtocol.h"
#include "tests/device/FakeHidrawServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::FakeHidrawNode;
using test::FakeHidrawServer;

// A temporary folder with a fake sysfs tree in "sys" and room for the fake
// device nodes in "dev".
class HidrawTree {
public:
    HidrawTree() {
        std::string pattern = (fs::temp_directory_path() / "kelvo-hidraw-XXXXXX").string();
        root = mkdtemp(pattern.data());
        fs::create_directories(Sys() / "class" / "hidraw");
        fs::create_directories(Dev());
    }
    ~HidrawTree() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path Sys() const { return root / "sys"; }
    fs::path Dev() const { return root / "dev"; }

    // Lays out a node the way the kernel does: the class entry links to the
    // node under its HID device, which sits under a USB interface of a USB
    // device; the node's "device" link leads back up to the HID device.
    void AddNode(const std::string& name, const std::string& usbDevice, int interfaceNumber,
                 const std::string& hidId) {
        const std::string hidDeviceName = hidId.substr(0, 4) + ":" + hidId.substr(9, 4) + ":" +
                                          hidId.substr(18, 4) + "." + name.substr(6);
        const fs::path relative = fs::path("devices") / "usb1" / usbDevice /
                                  (usbDevice + ":1." + std::to_string(interfaceNumber)) /
                                  hidDeviceName;
        const fs::path hidDevice = Sys() / relative;
        fs::create_directories(hidDevice / "hidraw" / name);
        std::ofstream(hidDevice / "uevent")
            << "DRIVER=hid-generic\nHID_ID=" << hidId << "\nHID_NAME=Fake\n";
        fs::create_directory_symlink("../..", hidDevice / "hidraw" / name / "device");
        fs::create_directory_symlink(fs::path("../..") / relative / "hidraw" / name,
                                     Sys() / "class" / "hidraw" / name);
    }

    void RemoveNode(const std::string& name) { fs::remove(Sys() / "class" / "hidraw" / name); }

private:
    fs::path root;
};

constexpr const char* thermometerId = "0003:00001130:0000660C";
constexpr const char* keyboardId = "0003:0000046D:0000C31C";

TEST(HidrawPlatformTest, ListsThermometerNodesInNumberOrderAndPairsThemByTheirUsbDevice) {
    HidrawTree tree;
    tree.AddNode("hidraw10", "1-2", 0, thermometerId);
    tree.AddNode("hidraw2", "1-1", 1, thermometerId);
    tree.AddNode("hidraw1", "1-1", 0, thermometerId);
    tree.AddNode("hidraw3", "1-2", 1, thermometerId);
    tree.AddNode("hidraw5", "1-3", 0, keyboardId);
    fs::create_directory(tree.Sys() / "class" / "hidraw" / "notanode");
    HidrawPlatform platform(tree.Sys(), tree.Dev());

    std::vector<HidInterfaceEntry> interfaces;
    ASSERT_TRUE(platform.ListInterfaces(interfaces));
    ASSERT_EQ(interfaces.size(), 4u);
    const std::string dev = tree.Dev().string();
    EXPECT_EQ(interfaces[0].path, dev + "/hidraw1");
    EXPECT_EQ(interfaces[1].path, dev + "/hidraw2");
    EXPECT_EQ(interfaces[2].path, dev + "/hidraw3");
    EXPECT_EQ(interfaces[3].path, dev + "/hidraw10");
    EXPECT_EQ(interfaces[0].grandparent, interfaces[1].grandparent);
    EXPECT_EQ(interfaces[2].grandparent, interfaces[3].grandparent);
    EXPECT_NE(interfaces[0].grandparent, interfaces[2].grandparent);

    // A USB device keeps its identity from one listing to the next.
    std::vector<HidInterfaceEntry> again;
    tree.RemoveNode("hidraw1");
    ASSERT_TRUE(platform.ListInterfaces(again));
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[0].grandparent, interfaces[1].grandparent);
}

TEST(HidrawPlatformTest, WithoutTheHidrawDriverThereIsNothingToFind) {
    HidrawTree tree;
    fs::remove(tree.Sys() / "class" / "hidraw");
    DeviceTable table(std::make_shared<HidrawPlatform>(tree.Sys(), tree.Dev()));
    EXPECT_EQ(table.HidEnumerateDevices(), 0);
    HidrawPlatform platform(tree.Sys(), tree.Dev());
    EXPECT_EQ(platform.Open((tree.Dev() / "hidraw0").string()), invalidHidHandle);
}

// The thermometer's two interfaces: a command interface with 8-byte output
// and 256-byte feature reports, and one that carries nothing.
const std::vector<std::uint8_t> commandDescriptor{
    0x05, 0x01, 0x09, 0x03, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95,
    0x08, 0x09, 0x03, 0x91, 0x02, 0x96, 0x00, 0x01, 0x09, 0x03, 0xB1, 0x02, 0xC0};
const std::vector<std::uint8_t> otherDescriptor{0x05, 0x01, 0x09, 0x00, 0xA1, 0x01, 0x75,
                                                0x08, 0x95, 0x08, 0x81, 0x02, 0xC0};
const std::vector<std::uint8_t> keyboardDescriptor{0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75,
                                                   0x01, 0x95, 0x08, 0x81, 0x02, 0xC0};

class HidrawEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access("/dev/fuse", R_OK | W_OK) != 0) {
            GTEST_SKIP() << "/dev/fuse is missing or not usable here, so no fake hidraw node "
                            "can be served; the hidraw back end is not tested end to end";
        }
        // Thermometer A lists its other interface first; B lists its command
        // interface last, after a keyboard's node.
        tree.AddNode("hidraw0", "1-1", 0, thermometerId);
        tree.AddNode("hidraw1", "1-1", 1, thermometerId);
        tree.AddNode("hidraw2", "1-3", 0, keyboardId);
        tree.AddNode("hidraw4", "1-2", 0, thermometerId);
        tree.AddNode("hidraw10", "1-2", 1, thermometerId);
        thermometerA = std::make_shared<SimulatedThermometer>(ParseSimulatedReadings("25.0625"));
        thermometerB = std::make_shared<SimulatedThermometer>(ParseSimulatedReadings("-25,err"));
        std::map<std::string, FakeHidrawNode> nodes;
        nodes["hidraw0"] = {otherDescriptor, 0x1130, 0x660C, nullptr};
        nodes["hidraw1"] = {commandDescriptor, 0x1130, 0x660C, thermometerA};
        nodes["hidraw2"] = {keyboardDescriptor, 0x046D, 0xC31C, nullptr};
        nodes["hidraw4"] = {otherDescriptor, 0x1130, 0x660C, nullptr};
        nodes["hidraw10"] = {commandDescriptor, 0x1130, 0x660C, thermometerB};
        server = std::make_unique<FakeHidrawServer>(tree.Dev(), std::move(nodes));
        ASSERT_EQ(server->Error(), "");
    }

    void TearDown() override {
        // Every handle must be closed before the server goes away.
        table.SetPlatform(nullptr);
        server.reset();
    }

    HidrawTree tree;
    std::shared_ptr<SimulatedThermometer> thermometerA;
    std::shared_ptr<SimulatedThermometer> thermometerB;
    std::unique_ptr<FakeHidrawServer> server;
    DeviceTable table{std::make_shared<HidrawPlatform>(tree.Sys(), tree.Dev())};
    MonitorState state;
    std::vector<std::string> messages;
    ThermometerProtocol protocol{table, state,
                                 [this](const std::string& text) { messages.push_back(text); },
                                 [](std::chrono::milliseconds) {}};
};

TEST_F(HidrawEndToEndTest, FindsBothThermometersAndTalksToThemThroughTheDriverCalls) {
    ASSERT_EQ(table.HidEnumerateDevices(), 2);
    EXPECT_EQ(table.Slot(0).cmdInterface.devicePath, (tree.Dev() / "hidraw1").string());
    EXPECT_EQ(table.Slot(1).cmdInterface.devicePath, (tree.Dev() / "hidraw10").string());
    EXPECT_EQ(table.Slot(1).cmdInterface.caps.outputReportLength, 9);
    EXPECT_EQ(server->OpenFiles(), 2);
    EXPECT_EQ(server->Opens("hidraw2"), 0) << "the keyboard's node is never opened";
    EXPECT_EQ(server->Opens("hidraw0"), 1) << "a thermometer's other interface is checked";

    table.HidSelectDevice(1);
    EXPECT_EQ(protocol.ReadTemperature(true), -25.0);
    EXPECT_EQ(protocol.ReadTemperature(true), -100.0);
    const auto writes = server->Writes("hidraw10");
    ASSERT_EQ(writes.size(), 2 * 34u);
    EXPECT_EQ(writes[0], (std::vector<std::uint8_t>{0, 0x0A, 0x0B, 0x0C, 0x0D, 0, 0, 2, 0}));
    EXPECT_EQ(writes[1], (std::vector<std::uint8_t>{0, 'T', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(writes[33], (std::vector<std::uint8_t>{0, 0x0A, 0x0B, 0x0C, 0x0D, 0, 0, 1, 0}));
    EXPECT_THAT(server->FeatureRequestLengths("hidraw10"), ::testing::ElementsAre(257, 257));
    EXPECT_THAT(server->Writes("hidraw4"), ::testing::IsEmpty());

    EXPECT_TRUE(protocol.WriteConfiguration('X', 21, 5, 18, 0));
    protocol.CheckDeviceType();
    EXPECT_EQ(state.innerCalibration, 1.5);
    EXPECT_EQ(state.outerCalibration, -2.0);
    EXPECT_THAT(messages, ::testing::IsEmpty());

    table.HidSelectDevice(0);
    EXPECT_EQ(protocol.ReadTemperature(true), 25.0625);
}

TEST_F(HidrawEndToEndTest, AnUnpluggedThermometerFailsItsTransfersAndIsNotFoundAgain) {
    ASSERT_EQ(table.HidEnumerateDevices(), 2);
    table.HidSelectDevice(0);
    server->SetGone("hidraw1", true);
    EXPECT_EQ(protocol.ReadTemperature(true), TEMP_WRITE_FAILED);
    server->SetGone("hidraw1", false);
    EXPECT_EQ(protocol.ReadTemperature(true), 25.0625);

    tree.RemoveNode("hidraw0");
    tree.RemoveNode("hidraw1");
    server->SetGone("hidraw1", true);
    EXPECT_EQ(table.HidEnumerateDevices(), 1);
    EXPECT_EQ(table.Slot(0).cmdInterface.devicePath, (tree.Dev() / "hidraw10").string());
    EXPECT_EQ(server->OpenFiles(), 1);
    EXPECT_EQ(server->Opens("hidraw2"), 0);
}

} // namespace
} // namespace kelvo
