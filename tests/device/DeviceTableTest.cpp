#include "monitor/device/DeviceTable.h"
#include "monitor/device/SimulatedHidPlatform.h"
#include "monitor/device/TransferHeader.h"
#include "tests/device/RecordingPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace kelvo {
namespace {

using test::RecordingPlatform;
using Transfer = RecordingPlatform::Transfer;

class DeviceTableTest : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedHidPlatform> simulated = std::make_shared<SimulatedHidPlatform>();
    std::shared_ptr<RecordingPlatform> recording = std::make_shared<RecordingPlatform>(simulated);
    DeviceTable table{recording};

    // Every payload byte of the output reports recorded so far, in order.
    std::vector<std::uint8_t> Payload() const {
        std::vector<std::uint8_t> payload;
        for (const Transfer& transfer : recording->Transfers()) {
            if (transfer.kind == Transfer::Kind::outputReport) {
                payload.insert(payload.end(), transfer.bytes.begin() + 1, transfer.bytes.end());
            }
        }
        return payload;
    }
};

TEST_F(DeviceTableTest, WithoutThermometersEveryTransferFailsWithoutTouchingThePlatform) {
    EXPECT_EQ(table.HidEnumerateDevices(), 0);
    for (int index = 0; index < DeviceTable::slotCount; ++index) {
        EXPECT_EQ(table.Slot(index).parentInstance, noDeviceInstance);
        EXPECT_FALSE(table.Slot(index).inUse);
    }
    const int callsAfterEnumeration = recording->CallCount();
    std::uint8_t buffer[256] = {};
    for (const int selected : {-1, 0, 31, 32}) {
        EXPECT_EQ(table.HidSelectDevice(selected), selected);
        EXPECT_EQ(table.HidWriteSelected(buffer, 0, 256), 0);
        EXPECT_EQ(table.HidReadSelected(buffer, 0, 256), 0);
        EXPECT_EQ(table.HidWriteDevice(selected, buffer, 0, 256), 0);
        EXPECT_EQ(table.HidReadDevice(selected, buffer, 0, 256), 0);
        EXPECT_EQ(table.HidIsDeviceReady(selected), 0);
    }
    EXPECT_EQ(recording->CallCount(), callsAfterEnumeration);
}

class InterfaceOrderTest : public DeviceTableTest, public ::testing::WithParamInterface<bool> {};

TEST_P(InterfaceOrderTest, OneThermometerTakesOneSlotThroughItsCommandInterface) {
    simulated->AddThermometer();
    simulated->SetCommandInterfaceFirst(0, GetParam());
    EXPECT_EQ(table.HidEnumerateDevices(), 1);
    const DeviceSlot slot = table.Slot(0);
    EXPECT_TRUE(slot.inUse);
    EXPECT_NE(slot.parentInstance, noDeviceInstance);
    EXPECT_TRUE(slot.cmdInterface.isOpen);
    EXPECT_EQ(slot.cmdInterface.caps.usage, commandUsage);
    EXPECT_EQ(slot.cmdInterface.devicePath, "simulated:0:command");
    EXPECT_EQ(slot.cmdInterface.outputReport.size(), 9u);
    EXPECT_EQ(table.Slot(1).parentInstance, noDeviceInstance);
    EXPECT_EQ(table.DeviceCount(), 1);
    // The other interface is either skipped unopened or opened, refused and
    // closed again; only the command interface stays open.
    EXPECT_EQ(recording->OpenHandles().size(), 1u);
    EXPECT_EQ(recording->OpenCount(), GetParam() ? 1 : 2);
    EXPECT_THAT(recording->BadCloses(), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(CommandFirstOrLast, InterfaceOrderTest, ::testing::Bool(),
                         [](const auto& info) {
                             return info.param ? "CommandFirst" : "CommandLast";
                         });

TEST_F(DeviceTableTest, ThermometersTakeSlotsInListingOrderAndDeviceNumbersAddressThem) {
    simulated->AddThermometer();
    simulated->AddThermometer();
    simulated->SetCommandInterfaceFirst(1, false);
    ASSERT_EQ(table.HidEnumerateDevices(), 2);
    EXPECT_EQ(table.Slot(0).cmdInterface.devicePath, "simulated:0:command");
    EXPECT_EQ(table.Slot(1).cmdInterface.devicePath, "simulated:1:command");
    EXPECT_NE(table.Slot(0).parentInstance, table.Slot(1).parentInstance);

    const std::uint8_t c[1] = {'C'};
    const std::uint8_t d[1] = {'D'};
    EXPECT_EQ(table.HidWriteDevice(0, c, 0, 1), 1);
    EXPECT_EQ(table.HidWriteDevice(1, d, 0, 1), 1);
    table.HidSelectDevice(1);
    EXPECT_EQ(table.HidWriteSelected(c, 0, 1), 1);
    EXPECT_THAT(simulated->Commands(0), ::testing::ElementsAre('C'));
    EXPECT_THAT(simulated->Commands(1), ::testing::ElementsAre('D', 'C'));
}

TEST_F(DeviceTableTest, AThirtyThirdThermometerFindsNoSlot) {
    for (int number = 0; number < 33; ++number) {
        simulated->AddThermometer();
    }
    EXPECT_EQ(table.HidEnumerateDevices(), 32);
    EXPECT_EQ(table.Slot(31).cmdInterface.devicePath, "simulated:31:command");
    EXPECT_EQ(recording->OpenCount(), 32);
}

TEST_F(DeviceTableTest, ReEnumerationClosesEveryOldHandleExactlyOnce) {
    simulated->AddThermometer();
    simulated->AddThermometer();
    simulated->SetCommandInterfaceFirst(0, false); // one refused open as well
    ASSERT_EQ(table.HidEnumerateDevices(), 2);
    const std::set<HidHandle> first = recording->OpenHandles();
    ASSERT_EQ(first.size(), 2u);

    table.HidSelectDevice(1);
    ASSERT_EQ(table.HidEnumerateDevices(), 2);
    const std::set<HidHandle> second = recording->OpenHandles();
    EXPECT_EQ(second.size(), 2u);
    for (const HidHandle handle : first) {
        EXPECT_EQ(second.count(handle), 0u);
    }
    EXPECT_EQ(table.SelectedIndex(), 1); // enumeration leaves the selection alone

    table.SetPlatform(nullptr);
    EXPECT_THAT(recording->OpenHandles(), ::testing::IsEmpty());
    EXPECT_THAT(recording->BadCloses(), ::testing::IsEmpty());
    EXPECT_EQ(table.HidEnumerateDevices(), 0);
}

struct FramingCase {
    std::uint16_t reportLength;
    int length;
    std::size_t reports; // header included
};

class FramingTest : public DeviceTableTest, public ::testing::WithParamInterface<FramingCase> {};

TEST_P(FramingTest, AWriteFillsWholeReportsWithTheHeaderThenTheDataThenZeros) {
    const FramingCase framing = GetParam();
    simulated->AddThermometer();
    simulated->SetOutputReportLength(0, framing.reportLength);
    ASSERT_EQ(table.HidEnumerateDevices(), 1);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(framing.length));
    for (std::size_t index = 0; index < data.size(); ++index) {
        data[index] = static_cast<std::uint8_t>(index + 1);
    }
    ASSERT_EQ(table.HidWriteDevice(0, data.data(), 0x42, framing.length), 1);

    const auto transfers = recording->Transfers();
    ASSERT_EQ(transfers.size(), framing.reports);
    for (const Transfer& transfer : transfers) {
        EXPECT_EQ(transfer.bytes.size(), framing.reportLength);
        EXPECT_EQ(transfer.bytes[0], 0); // report ID
    }
    // The header has a report of its own, and so does the data.
    const std::size_t payloadPerReport = framing.reportLength - 1u;
    const std::size_t headerReports = (8 + payloadPerReport - 1) / payloadPerReport;
    std::vector<std::uint8_t> expected{
        0x0A, 0x0B, 0x0C, 0x0D, 0x42, static_cast<std::uint8_t>(framing.length & 0xFF), 2, 0};
    expected.resize(headerReports * payloadPerReport, 0);
    expected.insert(expected.end(), data.begin(), data.end());
    expected.resize(framing.reports * payloadPerReport, 0);
    EXPECT_EQ(Payload(), expected);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FramingTest,
                         ::testing::Values(FramingCase{9, 256, 33}, FramingCase{9, 0, 1},
                                           FramingCase{9, 10, 3}, FramingCase{65, 256, 5},
                                           FramingCase{2, 3, 11}, FramingCase{5, 300, 77}),
                         [](const auto& info) {
                             return "Report" + std::to_string(info.param.reportLength) + "Write" +
                                    std::to_string(info.param.length);
                         });

TEST_F(DeviceTableTest, AReadSendsItsHeaderAndRequestsOneFeatureReportOfLengthPlusOne) {
    simulated->AddThermometer(ParseSimulatedReadings("25.0625"));
    ASSERT_EQ(table.HidEnumerateDevices(), 1);
    const std::uint8_t command[1] = {'T'};
    ASSERT_EQ(table.HidWriteDevice(0, command, 0, 1), 1);
    recording->ClearTransfers();

    std::vector<std::uint8_t> answer(256, 0xEE);
    ASSERT_EQ(table.HidReadDevice(0, answer.data(), 0, 256), 1);
    const auto transfers = recording->Transfers();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[0].bytes,
              (std::vector<std::uint8_t>{0, 0x0A, 0x0B, 0x0C, 0x0D, 0, 0, 1, 0}));
    EXPECT_EQ(transfers[1].kind, Transfer::Kind::featureRequest);
    ASSERT_EQ(transfers[1].bytes.size(), 257u);
    std::vector<std::uint8_t> expected(256, 0);
    expected[0] = 0x19;
    expected[1] = 0x10;
    EXPECT_EQ(answer, expected);
}

TEST_F(DeviceTableTest, AReportTooShortForPayloadFailsTheTransferBeforeSendingAnything) {
    for (const std::uint16_t reportLength : {0, 1}) {
        SCOPED_TRACE(reportLength);
        simulated = std::make_shared<SimulatedHidPlatform>(1);
        simulated->SetOutputReportLength(0, reportLength);
        recording = std::make_shared<RecordingPlatform>(simulated);
        table.SetPlatform(recording);
        ASSERT_EQ(table.HidEnumerateDevices(), 1);
        const int calls = recording->CallCount();
        std::uint8_t buffer[256] = {};
        EXPECT_EQ(table.HidWriteDevice(0, buffer, 0, 256), 0);
        EXPECT_EQ(table.HidWriteDevice(0, buffer, 0, 0), 0);
        EXPECT_EQ(table.HidReadDevice(0, buffer, 0, 256), 0);
        EXPECT_EQ(recording->CallCount(), calls);
    }
}

TEST_F(DeviceTableTest, FailedTransfersReportFailureAndLeaveTheCallersBufferAlone) {
    simulated->AddThermometer();
    ASSERT_EQ(table.HidEnumerateDevices(), 1);
    table.HidSelectDevice(0);
    std::vector<std::uint8_t> buffer(256, 0xAA);
    const std::uint8_t command[256] = {'T'};
    ASSERT_EQ(table.HidWriteSelected(command, 0, 256), 1);

    simulated->SetFailFeatureReads(0, true);
    EXPECT_EQ(table.HidReadSelected(buffer.data(), 0, 256), 0);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(256, 0xAA));
    EXPECT_EQ(table.HidReadSelected(buffer.data(), 0, -1), 0);

    simulated->SetFailWrites(0, true);
    EXPECT_EQ(table.HidWriteSelected(command, 0, 256), 0);
    EXPECT_EQ(table.HidReadSelected(buffer.data(), 0, 256), 0);

    // An unplugged thermometer keeps its slot until the next enumeration,
    // but its transfers fail.
    simulated->SetFailWrites(0, false);
    simulated->SetFailFeatureReads(0, false);
    simulated->Unplug(0);
    EXPECT_EQ(table.HidIsDeviceReady(0), 1);
    EXPECT_EQ(table.HidWriteSelected(command, 0, 256), 0);
    EXPECT_EQ(table.HidEnumerateDevices(), 0);
    EXPECT_EQ(table.HidIsDeviceReady(0), 0);
}

TEST_F(DeviceTableTest, TransfersOnOneThreadAndEnumerationOnAnotherDoNotRace) {
    simulated->AddThermometer();
    simulated->AddThermometer();
    ASSERT_EQ(table.HidEnumerateDevices(), 2);
    table.HidSelectDevice(0);
    std::atomic<bool> stop = false;
    std::thread worker([&] {
        const std::uint8_t command[256] = {'T'};
        std::uint8_t answer[256];
        while (!stop) {
            if (table.HidWriteSelected(command, 0, 256) == 1) {
                table.HidReadSelected(answer, 0, 256);
            }
        }
    });
    for (int round = 0; round < 200; ++round) {
        simulated->Unplug(round % 2);
        table.HidEnumerateDevices();
        simulated->Replug(round % 2);
        table.HidEnumerateDevices();
        table.HidSelectDevice(round % 3 - 1);
    }
    stop = true;
    worker.join();
    table.SetPlatform(nullptr);
    EXPECT_THAT(recording->OpenHandles(), ::testing::IsEmpty());
    EXPECT_THAT(recording->BadCloses(), ::testing::IsEmpty());
}

} // namespace
} // namespace kelvo
