#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvo {

// Identity of a device node in the platform's device tree. The table pairs a
// thermometer's two interfaces by the node two levels above each of them.
using DeviceInstance = std::int32_t;
inline constexpr DeviceInstance noDeviceInstance = -1;

// An open HID interface as the platform hands it out.
using HidHandle = std::int64_t;
inline constexpr HidHandle invalidHidHandle = -1;

// One present HID interface, as listed.
struct HidInterfaceEntry {
    std::string path;
    DeviceInstance grandparent = noDeviceInstance;
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// Capabilities of an interface's top-level collection. Report lengths count
// the report-ID byte, as Windows reports them.
struct HidCaps {
    std::uint16_t usage = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t outputReportLength = 0;
};

// What the device table needs from the operating system's HID access. All
// operations report failure by their result; none throws.
class HidPlatform {
public:
    virtual ~HidPlatform() = default;

    // The present HID interfaces in the platform's order; false when the list
    // itself cannot be had.
    virtual bool ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) = 0;

    // invalidHidHandle when the path cannot be opened for reading and writing.
    virtual HidHandle Open(const std::string& path) = 0;
    virtual void Close(HidHandle handle) = 0;

    virtual bool GetAttributes(HidHandle handle, HidAttributes& attributes) = 0;
    virtual bool GetCaps(HidHandle handle, HidCaps& caps) = 0;

    // Writes one whole output report, report-ID byte first; synchronous.
    virtual bool WriteOutputReport(HidHandle handle, std::span<const std::uint8_t> report) = 0;

    // Reads one feature report into the whole of `report`, whose byte 0 holds
    // the requested report ID.
    virtual bool GetFeatureReport(HidHandle handle, std::span<std::uint8_t> report) = 0;
};

} // namespace kelvo
