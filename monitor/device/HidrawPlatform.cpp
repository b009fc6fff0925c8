#include "monitor/device/HidrawPlatform.h"

#include "monitor/device/DeviceTable.h"
#include "monitor/device/ReportDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr std::string_view nodePrefix = "hidraw";

// The number of a "hidrawN" name, or -1.
int NodeNumber(std::string_view name) {
    if (!name.starts_with(nodePrefix) || name.size() == nodePrefix.size()) {
        return -1;
    }
    name.remove_prefix(nodePrefix.size());
    int number = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    return error == std::errc{} && end == name.data() + name.size() ? number : -1;
}

// Reads "HID_ID=bus:vendor:product" (hexadecimal) from a HID device's uevent.
bool ReadHidId(const std::filesystem::path& uevent, HidAttributes& attributes) {
    std::ifstream file(uevent);
    std::string line;
    constexpr std::string_view key = "HID_ID=";
    while (std::getline(file, line)) {
        if (!line.starts_with(key)) {
            continue;
        }
        const std::string_view value = std::string_view(line).substr(key.size());
        const auto first = value.find(':');
        const auto second = value.find(':', first == std::string_view::npos ? 0 : first + 1);
        if (first == std::string_view::npos || second == std::string_view::npos) {
            return false;
        }
        std::uint32_t vendor = 0;
        std::uint32_t product = 0;
        const std::string_view vendorText = value.substr(first + 1, second - first - 1);
        const std::string_view productText = value.substr(second + 1);
        const auto vendorResult =
            std::from_chars(vendorText.data(), vendorText.data() + vendorText.size(), vendor, 16);
        const auto productResult = std::from_chars(
            productText.data(), productText.data() + productText.size(), product, 16);
        if (vendorResult.ec != std::errc{} || productResult.ec != std::errc{} ||
            vendorResult.ptr != vendorText.data() + vendorText.size() ||
            productResult.ptr != productText.data() + productText.size() || vendor > 0xFFFF ||
            product > 0xFFFF) {
            return false;
        }
        attributes.vendorId = static_cast<std::uint16_t>(vendor);
        attributes.productId = static_cast<std::uint16_t>(product);
        attributes.versionNumber = 0;
        return true;
    }
    return false;
}

} // namespace

HidrawPlatform::HidrawPlatform(std::filesystem::path sysfsRoot, std::filesystem::path devRoot)
    : sysfsRoot(std::move(sysfsRoot)), devRoot(std::move(devRoot)) {}

bool HidrawPlatform::ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) {
    interfaces.clear();
    const std::filesystem::path classDirectory = sysfsRoot / "class" / "hidraw";
    std::error_code error;
    // Without the hidraw driver there is no class directory: no interfaces.
    if (!std::filesystem::exists(classDirectory, error)) {
        return !error;
    }
    std::vector<std::pair<int, std::string>> nodes;
    for (std::filesystem::directory_iterator entry(classDirectory, error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        const int number = NodeNumber(name);
        if (number >= 0) {
            nodes.emplace_back(number, name);
        }
    }
    if (error) {
        return false;
    }
    std::sort(nodes.begin(), nodes.end());
    for (const auto& [number, name] : nodes) {
        // "device" leads to the HID device; above it sit the USB interface
        // and then the USB device that both thermometer interfaces share.
        std::error_code linkError;
        const std::filesystem::path hidDevice =
            std::filesystem::canonical(classDirectory / name / "device", linkError);
        if (linkError) {
            continue; // gone since the directory was read
        }
        // Keyboards, mice and every other HID device have hidraw nodes too;
        // opening one read-write touches a device that is none of ours (as
        // root, any of them). The ids stand in the uevent, which needs no
        // open, so only a thermometer's nodes are listed at all.
        HidAttributes ids;
        if (!ReadHidId(hidDevice / "uevent", ids) || ids.vendorId != thermometerVendorId ||
            ids.productId != thermometerProductId) {
            continue;
        }
        const std::filesystem::path usbDevice = hidDevice.parent_path().parent_path();
        interfaces.push_back({(devRoot / name).string(), InstanceOf(usbDevice.string())});
    }
    return true;
}

DeviceInstance HidrawPlatform::InstanceOf(const std::string& devicePath) {
    std::lock_guard lock(mutex);
    const auto [entry, added] = deviceInstances.try_emplace(
        devicePath, static_cast<DeviceInstance>(deviceInstances.size()));
    return entry->second;
}

HidHandle HidrawPlatform::Open(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (NodeNumber(name) < 0) {
        return invalidHidHandle;
    }
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0) {
        return invalidHidHandle;
    }
    std::lock_guard lock(mutex);
    openNodes[descriptor] = name;
    return descriptor;
}

void HidrawPlatform::Close(HidHandle handle) {
    {
        std::lock_guard lock(mutex);
        if (openNodes.erase(handle) == 0) {
            return;
        }
    }
    ::close(static_cast<int>(handle));
}

std::string HidrawPlatform::NodeName(HidHandle handle) {
    std::lock_guard lock(mutex);
    const auto found = openNodes.find(handle);
    return found == openNodes.end() ? std::string{} : found->second;
}

bool HidrawPlatform::GetAttributes(HidHandle handle, HidAttributes& attributes) {
    const std::string name = NodeName(handle);
    if (name.empty()) {
        return false;
    }
    return ReadHidId(sysfsRoot / "class" / "hidraw" / name / "device" / "uevent", attributes);
}

bool HidrawPlatform::GetCaps(HidHandle handle, HidCaps& caps) {
    if (NodeName(handle).empty()) {
        return false;
    }
    const int descriptor = static_cast<int>(handle);
    int size = 0;
    if (::ioctl(descriptor, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 ||
        size > HID_MAX_DESCRIPTOR_SIZE) {
        return false;
    }
    hidraw_report_descriptor report{};
    report.size = static_cast<__u32>(size);
    if (::ioctl(descriptor, HIDIOCGRDESC, &report) < 0 || report.size > HID_MAX_DESCRIPTOR_SIZE) {
        return false;
    }
    const auto collections =
        ParseReportDescriptor(std::span<const std::uint8_t>(report.value, report.size));
    if (!collections) {
        return false;
    }
    // A hidraw node is one USB interface; its first top-level collection
    // stands for the interface, as the collection node does on Windows.
    const TopLevelCollection& collection = collections->front();
    caps.usagePage = collection.usagePage;
    caps.usage = collection.usage;
    caps.outputReportLength = collection.outputReportLength;
    return true;
}

bool HidrawPlatform::WriteOutputReport(HidHandle handle, std::span<const std::uint8_t> report) {
    if (NodeName(handle).empty()) {
        return false;
    }
    ssize_t written = 0;
    do {
        // hidraw takes the report-ID byte first and drops a 0 for devices
        // that number no reports, as the thermometer does.
        written = ::write(static_cast<int>(handle), report.data(), report.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(report.size());
}

bool HidrawPlatform::GetFeatureReport(HidHandle handle, std::span<std::uint8_t> report) {
    // The ioctl number carries the length in its 14-bit size field.
    if (NodeName(handle).empty() || report.empty() || report.size() > _IOC_SIZEMASK) {
        return false;
    }
    int result = 0;
    do {
        // Byte 0 goes in as the report ID and comes back with the report.
        result = ::ioctl(static_cast<int>(handle), HIDIOCGFEATURE(report.size()), report.data());
    } while (result < 0 && errno == EINTR);
    return result >= 0;
}

} // namespace kelvo
