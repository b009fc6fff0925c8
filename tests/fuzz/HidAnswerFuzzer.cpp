#include "monitor/device/ThermometerProtocol.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace {

// One thermometer whose answers are the fuzzer's bytes, handed out in turn to
// each feature request; its output report length is the input's first byte.
class FuzzedPlatform : public kelvo::HidPlatform {
public:
    FuzzedPlatform(const std::uint8_t* data, std::size_t size)
        : reportLength(size > 0 ? data[0] : 0),
          answers(size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0) {}

    bool ListInterfaces(std::vector<kelvo::HidInterfaceEntry>& interfaces) override {
        interfaces = {{"fuzzed", 1}};
        return true;
    }
    kelvo::HidHandle Open(const std::string&) override { return 1; }
    void Close(kelvo::HidHandle) override {}
    bool GetAttributes(kelvo::HidHandle, kelvo::HidAttributes& attributes) override {
        attributes = {kelvo::thermometerVendorId, kelvo::thermometerProductId, 0};
        return true;
    }
    bool GetCaps(kelvo::HidHandle, kelvo::HidCaps& caps) override {
        caps = {kelvo::commandUsage, kelvo::commandUsagePage, reportLength};
        return true;
    }
    bool WriteOutputReport(kelvo::HidHandle, std::span<const std::uint8_t> report) override {
        if (report.size() != reportLength || report[0] != 0) {
            __builtin_trap();
        }
        return true;
    }
    bool GetFeatureReport(kelvo::HidHandle, std::span<std::uint8_t> report) override {
        // An empty remainder stands for a device that stalls.
        if (answers.empty()) {
            return false;
        }
        const std::size_t count = std::min(answers.size(), report.size() - 1);
        std::copy_n(answers.begin(), count, report.begin() + 1);
        answers = answers.subspan(count);
        return true;
    }

private:
    std::uint16_t reportLength;
    std::span<const std::uint8_t> answers;
};

bool IsReading(double value) {
    return value == kelvo::TEMP_WRITE_FAILED || value == kelvo::TEMP_READ_FAILED ||
           value == kelvo::TEMP_NO_DATA ||
           (value >= -128.0 && value <= 127.9375 && std::floor(value * 16.0) == value * 16.0);
}

} // namespace

// Answers come from a USB device, which may send anything.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvo::DeviceTable table(std::make_shared<FuzzedPlatform>(data, size));
    table.HidEnumerateDevices();
    table.HidSelectDevice(0);
    kelvo::MonitorState state;
    kelvo::ThermometerProtocol protocol(table, state, nullptr, [](std::chrono::milliseconds) {});

    protocol.CheckDeviceType();
    const bool innerTaken = state.innerCalibration != 0.0;
    if (innerTaken && (state.innerCalibration < -10.0 || state.innerCalibration > 34.5)) {
        __builtin_trap();
    }
    for (int reading = 0; reading < 4; ++reading) {
        if (!IsReading(protocol.ReadTemperature(reading % 2 == 0))) {
            __builtin_trap();
        }
    }
    return 0;
}
