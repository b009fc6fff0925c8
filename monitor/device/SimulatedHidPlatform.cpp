#include "monitor/device/SimulatedHidPlatform.h"

#include "monitor/device/DeviceTable.h"

#include <charconv>
#include <string_view>

namespace kelvo {

namespace {

constexpr std::string_view pathPrefix = "simulated:";
constexpr std::string_view commandSuffix = ":command";
constexpr std::string_view otherSuffix = ":other";
// Device instances of the simulated USB devices, far from -1.
constexpr DeviceInstance firstDeviceInstance = 1000;

std::string InterfacePath(int number, bool command) {
    return std::string(pathPrefix) + std::to_string(number) +
           std::string(command ? commandSuffix : otherSuffix);
}

// The thermometer number and interface of a path, or false.
bool ParsePath(std::string_view path, int& number, bool& command) {
    if (!path.starts_with(pathPrefix)) {
        return false;
    }
    path.remove_prefix(pathPrefix.size());
    if (path.ends_with(commandSuffix)) {
        command = true;
        path.remove_suffix(commandSuffix.size());
    } else if (path.ends_with(otherSuffix)) {
        command = false;
        path.remove_suffix(otherSuffix.size());
    } else {
        return false;
    }
    const auto [end, error] = std::from_chars(path.data(), path.data() + path.size(), number);
    return error == std::errc{} && end == path.data() + path.size() && number >= 0;
}

} // namespace

SimulatedHidPlatform::SimulatedHidPlatform(int thermometerCount,
                                           std::vector<SimulatedReading> readings)
    : defaultReadings(std::move(readings)) {
    for (int number = 0; number < thermometerCount; ++number) {
        AddThermometer(defaultReadings);
    }
}

int SimulatedHidPlatform::AddThermometer(std::vector<SimulatedReading> readings) {
    std::lock_guard lock(mutex);
    const int number = static_cast<int>(thermometers.size());
    Thermometer thermometer;
    // Each thermometer sits half a degree above the one before, so that they
    // can be told apart on the screen.
    thermometer.device =
        std::make_unique<SimulatedThermometer>(std::move(readings), 22.0 + 0.5 * number);
    thermometers.push_back(std::move(thermometer));
    return number;
}

void SimulatedHidPlatform::Unplug(int number) {
    std::lock_guard lock(mutex);
    Thermometer& thermometer = At(number);
    if (thermometer.plugged) {
        thermometer.plugged = false;
        ++thermometer.generation;
    }
}

void SimulatedHidPlatform::Replug(int number) {
    std::lock_guard lock(mutex);
    At(number).plugged = true;
}

void SimulatedHidPlatform::SetCommandInterfaceFirst(int number, bool first) {
    std::lock_guard lock(mutex);
    At(number).commandFirst = first;
}

void SimulatedHidPlatform::SetOutputReportLength(int number, std::uint16_t length) {
    std::lock_guard lock(mutex);
    At(number).outputReportLength = length;
}

void SimulatedHidPlatform::SetFailWrites(int number, bool fail) {
    std::lock_guard lock(mutex);
    At(number).failWrites = fail;
}

void SimulatedHidPlatform::SetFailFeatureReads(int number, bool fail) {
    std::lock_guard lock(mutex);
    At(number).failFeatureReads = fail;
}

void SimulatedHidPlatform::SetTypeCode(int number, std::uint8_t typeCode) {
    std::lock_guard lock(mutex);
    At(number).device->SetTypeCode(typeCode);
}

std::array<std::uint8_t, 6> SimulatedHidPlatform::Configuration(int number) const {
    std::lock_guard lock(mutex);
    return thermometers.at(static_cast<std::size_t>(number)).device->Configuration();
}

std::vector<std::uint8_t> SimulatedHidPlatform::Commands(int number) const {
    std::lock_guard lock(mutex);
    return thermometers.at(static_cast<std::size_t>(number)).device->Commands();
}

int SimulatedHidPlatform::OpenHandleCount() const {
    std::lock_guard lock(mutex);
    return static_cast<int>(openInterfaces.size());
}

bool SimulatedHidPlatform::ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) {
    std::lock_guard lock(mutex);
    interfaces.clear();
    for (std::size_t index = 0; index < thermometers.size(); ++index) {
        const Thermometer& thermometer = thermometers[index];
        if (!thermometer.plugged) {
            continue;
        }
        const int number = static_cast<int>(index);
        const DeviceInstance grandparent = firstDeviceInstance + number;
        const bool first = thermometer.commandFirst;
        interfaces.push_back({InterfacePath(number, first), grandparent});
        interfaces.push_back({InterfacePath(number, !first), grandparent});
    }
    return true;
}

HidHandle SimulatedHidPlatform::Open(const std::string& path) {
    std::lock_guard lock(mutex);
    int number = 0;
    bool command = false;
    if (!ParsePath(path, number, command) ||
        static_cast<std::size_t>(number) >= thermometers.size() ||
        !thermometers[static_cast<std::size_t>(number)].plugged) {
        return invalidHidHandle;
    }
    const HidHandle handle = nextHandle++;
    openInterfaces[handle] = {number, command,
                              thermometers[static_cast<std::size_t>(number)].generation};
    return handle;
}

void SimulatedHidPlatform::Close(HidHandle handle) {
    std::lock_guard lock(mutex);
    openInterfaces.erase(handle);
}

bool SimulatedHidPlatform::GetAttributes(HidHandle handle, HidAttributes& attributes) {
    std::lock_guard lock(mutex);
    const OpenInterface* open = nullptr;
    if (Live(handle, open) == nullptr) {
        return false;
    }
    attributes = {thermometerVendorId, thermometerProductId, 0x0100};
    return true;
}

bool SimulatedHidPlatform::GetCaps(HidHandle handle, HidCaps& caps) {
    std::lock_guard lock(mutex);
    const OpenInterface* open = nullptr;
    const Thermometer* thermometer = Live(handle, open);
    if (thermometer == nullptr) {
        return false;
    }
    caps.usagePage = commandUsagePage;
    caps.usage = open->command ? commandUsage : 0x0000;
    caps.outputReportLength = thermometer->outputReportLength;
    return true;
}

bool SimulatedHidPlatform::WriteOutputReport(HidHandle handle,
                                             std::span<const std::uint8_t> report) {
    std::lock_guard lock(mutex);
    const OpenInterface* open = nullptr;
    Thermometer* thermometer = Live(handle, open);
    // Like WriteFile on a HID interface, only whole reports are taken.
    if (thermometer == nullptr || thermometer->failWrites ||
        report.size() != thermometer->outputReportLength) {
        return false;
    }
    if (!open->command) {
        return true;
    }
    return thermometer->device->ReceiveOutputReport(report);
}

bool SimulatedHidPlatform::GetFeatureReport(HidHandle handle, std::span<std::uint8_t> report) {
    std::lock_guard lock(mutex);
    const OpenInterface* open = nullptr;
    Thermometer* thermometer = Live(handle, open);
    if (thermometer == nullptr || thermometer->failFeatureReads || !open->command) {
        return false;
    }
    return thermometer->device->AnswerFeatureReport(report);
}

SimulatedHidPlatform::Thermometer& SimulatedHidPlatform::At(int number) {
    return thermometers.at(static_cast<std::size_t>(number));
}

SimulatedHidPlatform::Thermometer* SimulatedHidPlatform::Live(HidHandle handle,
                                                              const OpenInterface*& open) {
    const auto found = openInterfaces.find(handle);
    if (found == openInterfaces.end()) {
        return nullptr;
    }
    Thermometer& thermometer = thermometers[static_cast<std::size_t>(found->second.number)];
    if (found->second.generation != thermometer.generation) {
        return nullptr;
    }
    open = &found->second;
    return &thermometer;
}

} // namespace kelvo
