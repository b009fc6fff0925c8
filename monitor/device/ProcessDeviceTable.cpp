#include "monitor/device/ProcessDeviceTable.h"

#include "monitor/device/HidPlatformFactory.h"

namespace kelvo {

DeviceTable& ProcessDeviceTable() {
    // Never destroyed: a sampling worker may still be in a transfer while
    // the process exits, and the system closes the handles anyway.
    static DeviceTable* const table = new DeviceTable(CreateHidPlatform());
    return *table;
}

void SetProcessHidPlatform(std::shared_ptr<HidPlatform> platform) {
    ProcessDeviceTable().SetPlatform(std::move(platform));
}

int HidEnumerateDevices() {
    return ProcessDeviceTable().HidEnumerateDevices();
}

int HidSelectDevice(int index) {
    return ProcessDeviceTable().HidSelectDevice(index);
}

int HidWriteSelected(const std::uint8_t* data, std::uint8_t command, int length) {
    return ProcessDeviceTable().HidWriteSelected(data, command, length);
}

int HidReadSelected(std::uint8_t* buffer, std::uint8_t command, int length) {
    return ProcessDeviceTable().HidReadSelected(buffer, command, length);
}

int HidWriteDevice(int index, const std::uint8_t* data, std::uint8_t command, int length) {
    return ProcessDeviceTable().HidWriteDevice(index, data, command, length);
}

int HidReadDevice(int index, std::uint8_t* buffer, std::uint8_t command, int length) {
    return ProcessDeviceTable().HidReadDevice(index, buffer, command, length);
}

int HidIsDeviceReady(int index) {
    return ProcessDeviceTable().HidIsDeviceReady(index);
}

} // namespace kelvo
