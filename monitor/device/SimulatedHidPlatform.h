#pragma once

#include "monitor/device/HidPlatform.h"
#include "monitor/device/SimulatedThermometer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace kelvo {

// Kelvo thermometers emulated in the process: each is one USB device with a
// command interface (usage page 0x0001, usage 0x0003) and a second interface
// (usage 0x0000) that carries nothing. Tests and the KELVOMON_SIMULATE
// setting use it in place of real hardware; the fault switches let a test
// unplug a thermometer or break its transfers. Thermometers are numbered from
// 0 in the order they were added, and are listed in that order.
//
// Safe to use from several threads: one lock guards all of it.
class SimulatedHidPlatform : public HidPlatform {
public:
    static constexpr std::uint16_t defaultOutputReportLength = 9;

    explicit SimulatedHidPlatform(int thermometerCount = 0,
                                  std::vector<SimulatedReading> readings = {});

    // Adds a plugged-in thermometer and returns its number.
    int AddThermometer(std::vector<SimulatedReading> readings = {});
    // An unplugged thermometer is not listed and its open handles fail every
    // transfer; replugging lists it again, but old handles stay dead.
    void Unplug(int number);
    void Replug(int number);
    // Lists the command interface before the other one (the default) or after.
    void SetCommandInterfaceFirst(int number, bool first);
    void SetOutputReportLength(int number, std::uint16_t length);
    void SetFailWrites(int number, bool fail);
    void SetFailFeatureReads(int number, bool fail);
    void SetTypeCode(int number, std::uint8_t typeCode);

    std::array<std::uint8_t, 6> Configuration(int number) const;
    std::vector<std::uint8_t> Commands(int number) const;
    int OpenHandleCount() const;

    bool ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) override;
    HidHandle Open(const std::string& path) override;
    void Close(HidHandle handle) override;
    bool GetAttributes(HidHandle handle, HidAttributes& attributes) override;
    bool GetCaps(HidHandle handle, HidCaps& caps) override;
    bool WriteOutputReport(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool GetFeatureReport(HidHandle handle, std::span<std::uint8_t> report) override;

private:
    struct Thermometer {
        std::unique_ptr<SimulatedThermometer> device;
        bool plugged = true;
        int generation = 0; // advanced on every unplug, so old handles go stale
        bool commandFirst = true;
        std::uint16_t outputReportLength = defaultOutputReportLength;
        bool failWrites = false;
        bool failFeatureReads = false;
    };
    struct OpenInterface {
        int number = 0;
        bool command = false;
        int generation = 0;
    };

    Thermometer& At(int number);
    // The thermometer behind a live handle, or null when the handle is
    // unknown or its thermometer was unplugged since it was opened.
    Thermometer* Live(HidHandle handle, const OpenInterface*& open);

    mutable std::mutex mutex;
    std::vector<SimulatedReading> defaultReadings;
    std::vector<Thermometer> thermometers;
    std::map<HidHandle, OpenInterface> openInterfaces;
    HidHandle nextHandle = 1;
};

} // namespace kelvo
