#include "monitor/device/ThermometerProtocol.h"
#include "monitor/device/SimulatedHidPlatform.h"
#include "tests/device/RecordingPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using test::RecordingPlatform;
using Transfer = RecordingPlatform::Transfer;

CommandBuffer Answer(std::uint8_t b0, std::uint8_t b1) {
    CommandBuffer answer{};
    answer[0] = b0;
    answer[1] = b1;
    return answer;
}

TEST(DecodeTemperatureTest, TurnsTheUpperTwelveBitsIntoSixteenthsOfADegree) {
    struct Case {
        std::uint8_t b0;
        std::uint8_t b1;
        double celsius;
    };
    const Case cases[] = {
        {0x19, 0x00, 25.0},    {0x19, 0x10, 25.0625}, {0x19, 0x0F, 25.0},   {0x00, 0x10, 0.0625},
        {0xFF, 0xF0, -0.0625}, {0xE7, 0x00, -25.0},   {0x9C, 0x00, -100.0}, {0x7F, 0xF0, 127.9375},
        {0x80, 0x00, -128.0},  {0x00, 0x08, 0.0},
    };
    for (const Case& example : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(example.b0) << ' ' << int(example.b1));
        EXPECT_EQ(ThermometerProtocol::DecodeTemperature(Answer(example.b0, example.b1)),
                  example.celsius);
    }
}

// A command interface that takes every report and answers every feature
// request with two fixed bytes.
class FixedAnswerPlatform : public HidPlatform {
public:
    std::uint8_t b0 = 0;
    std::uint8_t b1 = 0;

    bool ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) override {
        interfaces = {{"fixed", 7}};
        return true;
    }
    HidHandle Open(const std::string&) override { return 1; }
    void Close(HidHandle) override {}
    bool GetAttributes(HidHandle, HidAttributes& attributes) override {
        attributes = {thermometerVendorId, thermometerProductId, 0};
        return true;
    }
    bool GetCaps(HidHandle, HidCaps& caps) override {
        caps = {commandUsage, commandUsagePage, 9};
        return true;
    }
    bool WriteOutputReport(HidHandle, std::span<const std::uint8_t>) override { return true; }
    bool GetFeatureReport(HidHandle, std::span<std::uint8_t> report) override {
        report[1] = b0;
        report[2] = b1;
        return true;
    }
};

class ThermometerProtocolTest : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedHidPlatform> simulated = std::make_shared<SimulatedHidPlatform>();
    std::shared_ptr<RecordingPlatform> recording = std::make_shared<RecordingPlatform>(simulated);
    DeviceTable table{recording};
    MonitorState state;
    std::vector<std::string> messages;
    std::vector<std::chrono::milliseconds> pauses;
    ThermometerProtocol protocol{
        table, state, [this](const std::string& text) { messages.push_back(text); },
        [this](std::chrono::milliseconds pause) { pauses.push_back(pause); }};

    void Attach(std::vector<SimulatedReading> readings = {}) {
        simulated->AddThermometer(std::move(readings));
        ASSERT_EQ(table.HidEnumerateDevices(), 1);
        table.HidSelectDevice(0);
    }
};

TEST_F(ThermometerProtocolTest, TheTemperatureExchangeOnTheWire) {
    Attach(ParseSimulatedReadings("-25"));
    EXPECT_EQ(protocol.ReadTemperature(true), -25.0);
    EXPECT_THAT(pauses, ::testing::ElementsAre(500ms));

    const auto transfers = recording->Transfers();
    ASSERT_EQ(transfers.size(), 35u);
    const std::vector<std::uint8_t> writeHeader{0x00, 0x0A, 0x0B, 0x0C, 0x0D,
                                                0x00, 0x00, 0x02, 0x00};
    const std::vector<std::uint8_t> command{0x00, 0x54, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> zeros(9, 0);
    const std::vector<std::uint8_t> readHeader{0x00, 0x0A, 0x0B, 0x0C, 0x0D,
                                               0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(transfers[0].bytes, writeHeader);
    EXPECT_EQ(transfers[1].bytes, command);
    for (std::size_t index = 2; index <= 32; ++index) {
        EXPECT_EQ(transfers[index].bytes, zeros) << index;
    }
    EXPECT_EQ(transfers[33].bytes, readHeader);
    EXPECT_EQ(transfers[34].kind, Transfer::Kind::featureRequest);
    ASSERT_EQ(transfers[34].bytes.size(), 257u);
    EXPECT_EQ(transfers[34].bytes[1], 0xE7);
    EXPECT_EQ(transfers[34].bytes[2], 0x00);
}

TEST_F(ThermometerProtocolTest, ReadingsAndSentinels) {
    auto fixed = std::make_shared<FixedAnswerPlatform>();
    table.SetPlatform(fixed);
    EXPECT_EQ(protocol.ReadTemperature(true), TEMP_WRITE_FAILED); // nothing selected
    EXPECT_THAT(pauses, ::testing::IsEmpty());

    ASSERT_EQ(table.HidEnumerateDevices(), 1);
    table.HidSelectDevice(0);
    const std::pair<std::array<std::uint8_t, 2>, double> answers[] = {
        {{0x00, 0x00}, TEMP_NO_DATA}, {{0x00, 0x08}, 0.0},    {{0x9C, 0x00}, -100.0},
        {{0x19, 0x10}, 25.0625},      {{0x80, 0x00}, -128.0},
    };
    for (const auto& [bytes, expected] : answers) {
        fixed->b0 = bytes[0];
        fixed->b1 = bytes[1];
        EXPECT_EQ(protocol.ReadTemperature(false), expected);
    }
}

TEST_F(ThermometerProtocolTest, AFailedAnswerReadCostsThePauseAndGivesReadFailed) {
    Attach();
    simulated->SetFailFeatureReads(0, true);
    EXPECT_EQ(protocol.ReadTemperature(true), TEMP_READ_FAILED);
    EXPECT_THAT(pauses, ::testing::ElementsAre(500ms));
    simulated->SetFailWrites(0, true);
    EXPECT_EQ(protocol.ReadTemperature(true), TEMP_WRITE_FAILED);
    EXPECT_EQ(pauses.size(), 1u);
}

TEST_F(ThermometerProtocolTest, SelectionAndConfigurationCommandsReachTheDevice) {
    EXPECT_FALSE(protocol.SendSelectionCommand(true));
    Attach();
    EXPECT_TRUE(protocol.SendSelectionCommand(true));
    EXPECT_TRUE(protocol.SendSelectionCommand(false));
    EXPECT_TRUE(protocol.WriteConfiguration('X', 21, 5, 9, 5));
    std::array<std::uint8_t, 6> bytes{};
    EXPECT_TRUE(
        protocol.ReadConfiguration(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]));
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 6>{0, 'X', 21, 5, 9, 5}));
    EXPECT_THAT(simulated->Commands(0), ::testing::ElementsAre('C', 'D', 'W', 'R'));

    simulated->SetFailWrites(0, true);
    EXPECT_FALSE(protocol.WriteConfiguration('X', 20, 0, 20, 0));
}

TEST_F(ThermometerProtocolTest, TheDeviceCheckTakesCalibrationsOnlyFromPlausibleBytes) {
    struct Case {
        std::uint8_t whole;
        std::uint8_t tenths;
        double calibration; // as read, when taken
        double tolerance;   // 0 where the sum is exact
        bool taken;
    };
    const Case cases[] = {
        {20, 0, 0.0, 0.0, true},   {10, 0, -10.0, 0.0, true},
        {29, 9, 9.9, 1e-12, true}, // 29 + 0.9 - 20 in double precision
        {9, 5, 0.0, 0.0, false},   // -10.5 as the settings page writes it
        {30, 0, 0.0, 0.0, false},
    };
    Attach();
    for (const Case& example : cases) {
        SCOPED_TRACE(::testing::Message() << int(example.whole) << '/' << int(example.tenths));
        state.innerCalibration = 1.25;
        state.outerCalibration = -2.5;
        ASSERT_TRUE(protocol.WriteConfiguration('X', example.whole, example.tenths, example.whole,
                                                example.tenths));
        protocol.CheckDeviceType();
        EXPECT_EQ(state.deviceConfig,
                  (std::array<std::uint8_t, 6>{0, 'X', example.whole, example.tenths, example.whole,
                                               example.tenths}));
        EXPECT_NEAR(state.innerCalibration, example.taken ? example.calibration : 1.25,
                    example.tolerance);
        EXPECT_NEAR(state.outerCalibration, example.taken ? example.calibration : -2.5,
                    example.tolerance);
    }
    EXPECT_THAT(messages, ::testing::IsEmpty());
}

TEST_F(ThermometerProtocolTest, AnotherTypeCodeOrAFailedReadWarnsOncePerCheck) {
    protocol.CheckDeviceType(); // nothing listed: nothing happens
    EXPECT_THAT(messages, ::testing::IsEmpty());
    EXPECT_THAT(pauses, ::testing::IsEmpty());

    Attach();
    simulated->SetTypeCode(0, 'Y');
    protocol.CheckDeviceType();
    EXPECT_THAT(messages, ::testing::ElementsAre("The device type maybe is not HidKelvo"));
    EXPECT_EQ(state.deviceConfig[1], 'Y');
    EXPECT_EQ(state.innerCalibration, 0.0);

    messages.clear();
    state.innerCalibration = 3.5;
    simulated->SetFailFeatureReads(0, true);
    protocol.CheckDeviceType();
    EXPECT_THAT(messages, ::testing::ElementsAre("The device type maybe is not HidKelvo"));
    EXPECT_EQ(state.deviceConfig, (std::array<std::uint8_t, 6>{'R', 0, 0, 0, 0, 0}));
    EXPECT_EQ(state.innerCalibration, 3.5);
}

TEST_F(ThermometerProtocolTest, ReadingOnAWorkerWhileTheDeviceComesAndGoes) {
    Attach(ParseSimulatedReadings("21.5"));
    std::atomic<bool> stop = false;
    std::atomic<int> readings = 0;
    std::thread worker([&] {
        ThermometerProtocol workerProtocol(table, state, nullptr, [](std::chrono::milliseconds) {});
        while (!stop) {
            const double value = workerProtocol.ReadTemperature(true);
            EXPECT_TRUE(value == 21.5 || value == TEMP_WRITE_FAILED || value == TEMP_READ_FAILED)
                << value;
            readings += value == 21.5 ? 1 : 0;
        }
    });
    for (int round = 0; round < 100; ++round) {
        simulated->Unplug(0);
        table.HidEnumerateDevices();
        simulated->Replug(0);
        table.HidEnumerateDevices();
    }
    // The worker reads on until it has read once with the device in place;
    // a fault that keeps every read failing ends at the deadline instead.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (readings == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    stop = true;
    worker.join();
    EXPECT_GT(readings, 0) << "no reading succeeded while the device was in place";
}

} // namespace
} // namespace kelvo
