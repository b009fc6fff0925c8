#pragma once

#include "monitor/device/HidPlatform.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kelvo {

inline constexpr std::uint16_t thermometerVendorId = 0x1130;
inline constexpr std::uint16_t thermometerProductId = 0x660C;
// Top-level collection of the interface that carries all traffic.
inline constexpr std::uint16_t commandUsagePage = 0x0001;
inline constexpr std::uint16_t commandUsage = 0x0003;

// One opened HID interface. A closed record holds no path, no handle and no
// buffer, so a handle is never closed twice.
struct InterfaceRecord {
    std::string devicePath;
    HidHandle handle = invalidHidHandle;
    HidCaps caps;
    HidAttributes attributes;
    std::vector<std::uint8_t> outputReport;
    bool isOpen = false;
};

// One physical thermometer.
struct DeviceSlot {
    DeviceInstance parentInstance = noDeviceInstance;
    bool inUse = false;
    InterfaceRecord cmdInterface;
};

// The open thermometers, found by enumeration, and the selected one that
// commands go to. Results follow the device library's convention: 1 for
// success, 0 for failure.
//
// Every operation holds one lock for its whole run, so the sampling worker's
// transfers and a re-enumeration on the user-interface thread never see a
// half-closed record. A command and its answer are still two operations.
class DeviceTable {
public:
    static constexpr int slotCount = 32;

    explicit DeviceTable(std::shared_ptr<HidPlatform> platform);
    ~DeviceTable();
    DeviceTable(const DeviceTable&) = delete;
    DeviceTable& operator=(const DeviceTable&) = delete;

    // Closes every slot and talks to another platform from now on.
    void SetPlatform(std::shared_ptr<HidPlatform> platform);

    int HidEnumerateDevices();
    int HidSelectDevice(int index);
    int HidWriteSelected(const std::uint8_t* data, std::uint8_t command, int length);
    int HidReadSelected(std::uint8_t* buffer, std::uint8_t command, int length);
    int HidWriteDevice(int index, const std::uint8_t* data, std::uint8_t command, int length);
    int HidReadDevice(int index, std::uint8_t* buffer, std::uint8_t command, int length);
    int HidIsDeviceReady(int index);

    int DeviceCount() const;
    int SelectedIndex() const;
    // A copy of one slot, for inspection; an empty slot outside 0 to 31.
    DeviceSlot Slot(int index) const;

private:
    bool HidOpenInterface(const std::string& path, InterfaceRecord& record, std::uint16_t usagePage,
                          std::uint16_t usage);
    void HidCloseInterface(InterfaceRecord& record);
    void HidReleaseSlot(int index);
    void HidResetTable();
    bool HidSendReports(InterfaceRecord& record, const std::uint8_t* data, int length, int& sent);
    bool IsReady(int index) const;
    int WriteDevice(int index, const std::uint8_t* data, std::uint8_t command, int length);
    int ReadDevice(int index, std::uint8_t* buffer, std::uint8_t command, int length);

    mutable std::mutex mutex;
    std::shared_ptr<HidPlatform> platform;
    std::array<DeviceSlot, slotCount> slots;
    int deviceCount = 0;
    int selectedIndex = -1;
};

} // namespace kelvo
