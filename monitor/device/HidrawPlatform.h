#pragma once

#include "monitor/device/HidPlatform.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace kelvo {

// HID access through the Linux hidraw driver. Interfaces are the entries of
// <sysfs>/class/hidraw in node-number order whose HID device carries the
// thermometer's vendor and product id; each is opened as <dev>/hidrawN.
// Both roots can point elsewhere, so that tests can serve a fake tree.
class HidrawPlatform : public HidPlatform {
public:
    explicit HidrawPlatform(std::filesystem::path sysfsRoot = "/sys",
                            std::filesystem::path devRoot = "/dev");

    bool ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) override;
    HidHandle Open(const std::string& path) override;
    void Close(HidHandle handle) override;
    bool GetAttributes(HidHandle handle, HidAttributes& attributes) override;
    bool GetCaps(HidHandle handle, HidCaps& caps) override;
    bool WriteOutputReport(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool GetFeatureReport(HidHandle handle, std::span<std::uint8_t> report) override;

private:
    // The hidraw node name ("hidraw3") of an open handle, or empty.
    std::string NodeName(HidHandle handle);
    DeviceInstance InstanceOf(const std::string& devicePath);

    std::filesystem::path sysfsRoot;
    std::filesystem::path devRoot;
    std::mutex mutex;
    // Each USB device path gets a number when first seen and keeps it for the
    // life of the process, as a Windows device node keeps its handle.
    std::map<std::string, DeviceInstance> deviceInstances;
    std::map<HidHandle, std::string> openNodes;
};

} // namespace kelvo
