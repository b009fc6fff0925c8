#pragma once

#include "monitor/device/DeviceTable.h"

#include <cstdint>
#include <memory>

namespace kelvo {

// The one device table of the monitor process, created on first use with the
// platform that CreateHidPlatform picks.
DeviceTable& ProcessDeviceTable();

// Makes the process's table talk to another platform (a test's own); every
// open slot is closed first.
void SetProcessHidPlatform(std::shared_ptr<HidPlatform> platform);

// The device library's functions, on the process's table.
int HidEnumerateDevices();
int HidSelectDevice(int index);
int HidWriteSelected(const std::uint8_t* data, std::uint8_t command, int length);
int HidReadSelected(std::uint8_t* buffer, std::uint8_t command, int length);
int HidWriteDevice(int index, const std::uint8_t* data, std::uint8_t command, int length);
int HidReadDevice(int index, std::uint8_t* buffer, std::uint8_t command, int length);
int HidIsDeviceReady(int index);

} // namespace kelvo
