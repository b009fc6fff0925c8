#include "monitor/device/HidPlatformFactory.h"
#include "monitor/device/HidrawPlatform.h"
#include "monitor/device/SimulatedHidPlatform.h"
#include "monitor/device/ThermometerProtocol.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace kelvo {
namespace {

using Kind = SimulatedReading::Kind;

TEST(SimulatedReadingsTest, ParsesValuesErrorsAndEmptyAnswersAndDropsTheRest) {
    EXPECT_THAT(ParseSimulatedReadings(" 21.5,err, empty ,bogus,-3,,1e400,7x"),
                ::testing::ElementsAre(
                    SimulatedReading{Kind::celsius, 21.5}, SimulatedReading{Kind::sensorError, 0.0},
                    SimulatedReading{Kind::empty, 0.0}, SimulatedReading{Kind::celsius, -3.0}));
    EXPECT_THAT(ParseSimulatedReadings(""), ::testing::IsEmpty());
}

TEST(SimulatedReadingsTest, EncodingIsTheInverseOfDecodingForEveryWord) {
    for (int word = 0; word < 0x10000; word += 0x10) {
        CommandBuffer answer{};
        answer[0] = static_cast<std::uint8_t>(word >> 8);
        answer[1] = static_cast<std::uint8_t>(word & 0xFF);
        const auto bytes = EncodeTemperature(ThermometerProtocol::DecodeTemperature(answer));
        ASSERT_EQ(bytes[0], answer[0]) << word;
        ASSERT_EQ(bytes[1], answer[1]) << word;
    }
    // Out of range and between steps: held to the range, rounded to a step.
    EXPECT_EQ(EncodeTemperature(500.0), (std::array<std::uint8_t, 2>{0x7F, 0xF0}));
    EXPECT_EQ(EncodeTemperature(-500.0), (std::array<std::uint8_t, 2>{0x80, 0x00}));
    EXPECT_EQ(EncodeTemperature(25.03), (std::array<std::uint8_t, 2>{0x19, 0x00}));
}

class EnvironmentTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("KELVOMON_SIMULATE");
        unsetenv("KELVOMON_SIM_TEMPS");
    }
};

TEST_F(EnvironmentTest, SimulateAsksForThatManyThermometersWithTheGivenTemperatures) {
    setenv("KELVOMON_SIMULATE", "3", 1);
    setenv("KELVOMON_SIM_TEMPS", "21.5,err,empty", 1);
    DeviceTable table(CreateHidPlatform());
    ASSERT_EQ(table.HidEnumerateDevices(), 3);
    table.HidSelectDevice(2);
    MonitorState state;
    std::vector<std::string> messages;
    ThermometerProtocol protocol(
        table, state, [&](const std::string& text) { messages.push_back(text); },
        [](std::chrono::milliseconds) {});
    protocol.CheckDeviceType();
    EXPECT_THAT(messages, ::testing::IsEmpty());
    EXPECT_EQ(state.deviceConfig, (std::array<std::uint8_t, 6>{0, 'X', 20, 0, 20, 0}));
    const double expected[] = {21.5, -100.0, TEMP_NO_DATA, 21.5};
    for (const double value : expected) {
        EXPECT_EQ(protocol.ReadTemperature(true), value);
    }
}

TEST_F(EnvironmentTest, WithoutAUsableCountTheRealDevicesAreUsed) {
    for (const char* value : {"", "0", "-2", "two", "3x"}) {
        setenv("KELVOMON_SIMULATE", value, 1);
        EXPECT_NE(dynamic_cast<HidrawPlatform*>(CreateHidPlatform().get()), nullptr) << value;
    }
    unsetenv("KELVOMON_SIMULATE");
    EXPECT_NE(dynamic_cast<HidrawPlatform*>(CreateHidPlatform().get()), nullptr);
}

TEST(SimulatedHidPlatformTest, DefaultTemperaturesDriftSlowlyAroundRoomTemperature) {
    auto simulated = std::make_shared<SimulatedHidPlatform>(1);
    DeviceTable table(simulated);
    ASSERT_EQ(table.HidEnumerateDevices(), 1);
    table.HidSelectDevice(0);
    MonitorState state;
    ThermometerProtocol protocol(table, state, nullptr, [](std::chrono::milliseconds) {});
    double previous = protocol.ReadTemperature(true);
    double lowest = previous;
    double highest = previous;
    for (int reading = 0; reading < 120; ++reading) {
        const double value = protocol.ReadTemperature(true);
        EXPECT_LE(std::abs(value - previous), 0.25);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        previous = value;
    }
    EXPECT_GE(lowest, 18.9);
    EXPECT_LE(highest, 25.1);
    EXPECT_GT(highest - lowest, 5.0);
}

TEST(SimulatedHidPlatformTest, UnpluggingLosesTheDeviceAndReplugingFindsItAgain) {
    auto simulated = std::make_shared<SimulatedHidPlatform>(1, ParseSimulatedReadings("30"));
    DeviceTable table(simulated);
    ASSERT_EQ(table.HidEnumerateDevices(), 1);
    table.HidSelectDevice(0);
    MonitorState state;
    ThermometerProtocol protocol(table, state, nullptr, [](std::chrono::milliseconds) {});
    EXPECT_EQ(protocol.ReadTemperature(true), 30.0);

    simulated->Unplug(0);
    EXPECT_EQ(protocol.ReadTemperature(true), TEMP_WRITE_FAILED);
    EXPECT_EQ(table.HidEnumerateDevices(), 0);
    simulated->Replug(0);
    EXPECT_EQ(protocol.ReadTemperature(true), TEMP_WRITE_FAILED); // not enumerated yet
    EXPECT_EQ(table.HidEnumerateDevices(), 1);
    EXPECT_EQ(protocol.ReadTemperature(true), 30.0);
    EXPECT_EQ(simulated->OpenHandleCount(), 1);
}

TEST(SimulatedThermometerTest, ATransferBrokenOffDoesNotConfuseTheNextOne) {
    SimulatedThermometer device(ParseSimulatedReadings("12.5"));
    const std::vector<std::uint8_t> writeHeader{0, 0x0A, 0x0B, 0x0C, 0x0D, 0, 0, 2, 0};
    const std::vector<std::uint8_t> readHeader{0, 0x0A, 0x0B, 0x0C, 0x0D, 0, 0, 1, 0};
    const std::vector<std::uint8_t> t{0, 'T', 0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> zeros(9, 0);
    std::vector<std::uint8_t> answer(257, 0);

    EXPECT_FALSE(device.AnswerFeatureReport(answer)); // nothing requested yet
    // The first write stops after its first data report.
    ASSERT_TRUE(device.ReceiveOutputReport(writeHeader));
    ASSERT_TRUE(device.ReceiveOutputReport(t));
    ASSERT_TRUE(device.ReceiveOutputReport(writeHeader));
    ASSERT_TRUE(device.ReceiveOutputReport(t));
    for (int report = 1; report < 32; ++report) {
        ASSERT_TRUE(device.ReceiveOutputReport(zeros));
    }
    ASSERT_TRUE(device.ReceiveOutputReport(readHeader));
    ASSERT_TRUE(device.AnswerFeatureReport(answer));
    EXPECT_EQ(answer[1], 0x0C);
    EXPECT_EQ(answer[2], 0x80);
    EXPECT_THAT(device.Commands(), ::testing::ElementsAre('T'));
    EXPECT_FALSE(device.ReceiveOutputReport(std::vector<std::uint8_t>{1, 0x0A}));
}

} // namespace
} // namespace kelvo
