#include "monitor/device/DeviceTable.h"

#include "monitor/device/TransferHeader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kelvo {

DeviceTable::DeviceTable(std::shared_ptr<HidPlatform> platform) : platform(std::move(platform)) {}

DeviceTable::~DeviceTable() {
    std::lock_guard lock(mutex);
    HidResetTable();
}

void DeviceTable::SetPlatform(std::shared_ptr<HidPlatform> newPlatform) {
    std::lock_guard lock(mutex);
    HidResetTable();
    platform = std::move(newPlatform);
}

int DeviceTable::HidEnumerateDevices() {
    std::lock_guard lock(mutex);
    HidResetTable();
    std::vector<HidInterfaceEntry> interfaces;
    if (!platform || !platform->ListInterfaces(interfaces)) {
        return 0;
    }
    for (const HidInterfaceEntry& entry : interfaces) {
        // The first slot that is empty or already holds this thermometer.
        int candidate = -1;
        for (int index = 0; index < slotCount; ++index) {
            if (slots[index].parentInstance == noDeviceInstance ||
                slots[index].parentInstance == entry.grandparent) {
                candidate = index;
                break;
            }
        }
        // Either the thermometer's other interface, already in the table, or
        // a 33rd thermometer with no room left.
        if (candidate < 0 || slots[candidate].parentInstance != noDeviceInstance) {
            continue;
        }
        DeviceSlot& slot = slots[candidate];
        if (HidOpenInterface(entry.path, slot.cmdInterface, commandUsagePage, commandUsage)) {
            slot.parentInstance = entry.grandparent;
            slot.inUse = true;
            ++deviceCount;
        }
    }
    return deviceCount;
}

int DeviceTable::HidSelectDevice(int index) {
    std::lock_guard lock(mutex);
    selectedIndex = index;
    return index;
}

int DeviceTable::HidWriteSelected(const std::uint8_t* data, std::uint8_t command, int length) {
    std::lock_guard lock(mutex);
    if (selectedIndex == -1) {
        return 0;
    }
    return WriteDevice(selectedIndex, data, command, length);
}

int DeviceTable::HidReadSelected(std::uint8_t* buffer, std::uint8_t command, int length) {
    std::lock_guard lock(mutex);
    if (selectedIndex == -1) {
        return 0;
    }
    return ReadDevice(selectedIndex, buffer, command, length);
}

int DeviceTable::HidWriteDevice(int index, const std::uint8_t* data, std::uint8_t command,
                                int length) {
    std::lock_guard lock(mutex);
    return WriteDevice(index, data, command, length);
}

int DeviceTable::HidReadDevice(int index, std::uint8_t* buffer, std::uint8_t command, int length) {
    std::lock_guard lock(mutex);
    return ReadDevice(index, buffer, command, length);
}

int DeviceTable::HidIsDeviceReady(int index) {
    std::lock_guard lock(mutex);
    return IsReady(index) ? 1 : 0;
}

int DeviceTable::DeviceCount() const {
    std::lock_guard lock(mutex);
    return deviceCount;
}

int DeviceTable::SelectedIndex() const {
    std::lock_guard lock(mutex);
    return selectedIndex;
}

DeviceSlot DeviceTable::Slot(int index) const {
    std::lock_guard lock(mutex);
    if (index < 0 || index >= slotCount) {
        return {};
    }
    return slots[index];
}

bool DeviceTable::IsReady(int index) const {
    return index >= 0 && index < slotCount && slots[index].inUse &&
           slots[index].parentInstance != noDeviceInstance;
}

int DeviceTable::WriteDevice(int index, const std::uint8_t* data, std::uint8_t command,
                             int length) {
    if (!IsReady(index)) {
        return 0;
    }
    InterfaceRecord& record = slots[index].cmdInterface;
    const TransferHeader header = MakeTransferHeader(command, length, TransferDirection::write);
    int sent = 0;
    if (!HidSendReports(record, header.data(), static_cast<int>(header.size()), sent)) {
        return 0;
    }
    return HidSendReports(record, data, length, sent) ? 1 : 0;
}

int DeviceTable::ReadDevice(int index, std::uint8_t* buffer, std::uint8_t command, int length) {
    // A negative length would ask for a buffer of no sensible size.
    if (!IsReady(index) || length < 0) {
        return 0;
    }
    InterfaceRecord& record = slots[index].cmdInterface;
    // Byte 0 is the report ID 0; the answer follows it.
    std::vector<std::uint8_t> report(static_cast<std::size_t>(length) + 1, 0);
    const TransferHeader header = MakeTransferHeader(command, length, TransferDirection::read);
    int sent = 0;
    if (!HidSendReports(record, header.data(), static_cast<int>(header.size()), sent)) {
        return 0;
    }
    if (!platform->GetFeatureReport(record.handle, report)) {
        return 0;
    }
    std::copy_n(report.begin() + 1, length, buffer);
    return 1;
}

bool DeviceTable::HidOpenInterface(const std::string& path, InterfaceRecord& record,
                                   std::uint16_t usagePage, std::uint16_t usage) {
    record.devicePath = path;
    const HidHandle handle = platform->Open(path);
    if (handle == invalidHidHandle) {
        record.devicePath.clear();
        return false;
    }
    HidAttributes attributes;
    HidCaps caps;
    const bool matches =
        platform->GetAttributes(handle, attributes) && attributes.vendorId == thermometerVendorId &&
        attributes.productId == thermometerProductId && platform->GetCaps(handle, caps) &&
        caps.usagePage == usagePage && caps.usage == usage;
    if (!matches) {
        platform->Close(handle);
        record = InterfaceRecord{};
        return false;
    }
    record.handle = handle;
    record.attributes = attributes;
    record.caps = caps;
    record.outputReport.assign(caps.outputReportLength, 0);
    record.isOpen = true;
    return true;
}

void DeviceTable::HidCloseInterface(InterfaceRecord& record) {
    if (!record.isOpen) {
        return;
    }
    platform->Close(record.handle);
    record = InterfaceRecord{};
}

void DeviceTable::HidReleaseSlot(int index) {
    DeviceSlot& slot = slots[index];
    HidCloseInterface(slot.cmdInterface);
    slot.parentInstance = noDeviceInstance;
    slot.inUse = false;
}

void DeviceTable::HidResetTable() {
    for (int index = 0; index < slotCount; ++index) {
        HidReleaseSlot(index);
    }
    deviceCount = 0;
}

bool DeviceTable::HidSendReports(InterfaceRecord& record, const std::uint8_t* data, int length,
                                 int& sent) {
    sent = 0;
    const int reportLength = record.caps.outputReportLength;
    // A report needs its ID byte and room for at least one payload byte, or
    // the framing would never advance.
    if (reportLength < 2) {
        return false;
    }
    if (length <= 0) {
        return true;
    }
    const int payloadPerReport = reportLength - 1;
    while (sent < length) {
        const int chunk = std::min(payloadPerReport, length - sent);
        std::fill(record.outputReport.begin(), record.outputReport.end(), 0);
        std::memcpy(record.outputReport.data() + 1, data + sent, static_cast<std::size_t>(chunk));
        if (!platform->WriteOutputReport(record.handle, record.outputReport)) {
            return false;
        }
        sent += payloadPerReport;
    }
    return true;
}

} // namespace kelvo
