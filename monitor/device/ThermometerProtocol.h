#pragma once

#include "monitor/core/MonitorState.h"
#include "monitor/device/DeviceTable.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace kelvo {

// Readings that stand in for a temperature when a reading fails. All lie above
// the highest decodable temperature, 127.9375.
inline constexpr double TEMP_WRITE_FAILED = 888.0; // the command did not go out
inline constexpr double TEMP_READ_FAILED = 999.0;  // the answer could not be read
inline constexpr double TEMP_NO_DATA = 777.0;      // the answer was 0x00 0x00

inline constexpr std::uint8_t expectedTypeCode = 'X';
inline constexpr const char* deviceTypeMessage = "The device type maybe is not HidKelvo";

// Every command and answer is this long.
using CommandBuffer = std::array<std::uint8_t, 256>;

// The thermometer's single-letter commands, spoken to the selected device of a
// device table. Fills the configuration bytes and calibrations of the monitor
// state it is given; the main window owns one and forwards to it.
class ThermometerProtocol {
public:
    // Waits before an answer is read; the device needs the time to measure.
    using Pause = std::function<void(std::chrono::milliseconds)>;
    // Shows a message to the user; the window passes its message box.
    using ShowMessage = std::function<void(const std::string&)>;

    static constexpr std::chrono::milliseconds answerPause{500};

    ThermometerProtocol(DeviceTable& table, MonitorState& state, ShowMessage showMessage,
                        Pause pause = SleepPause);

    // C when `select` is true, D when false.
    bool SendSelectionCommand(bool select);
    bool ReadConfiguration(std::uint8_t& byte0, std::uint8_t& byte1, std::uint8_t& byte2,
                           std::uint8_t& byte3, std::uint8_t& byte4, std::uint8_t& byte5);
    // Reads deviceConfig, takes the calibrations it holds and warns about a
    // type code other than 'X'. Does nothing while no thermometer is listed.
    void CheckDeviceType();
    bool WriteConfiguration(std::uint8_t typeCode, std::uint8_t innerWhole,
                            std::uint8_t innerTenths, std::uint8_t outerWhole,
                            std::uint8_t outerTenths);
    // T when `inner` is true, S when false; degrees Celsius or a TEMP_* value.
    double ReadTemperature(bool inner);

    // Degrees Celsius from answer bytes 0 and 1.
    static double DecodeTemperature(const CommandBuffer& answer);

    static void SleepPause(std::chrono::milliseconds duration);

private:
    static CommandBuffer Command(std::uint8_t letter);
    bool Send(const CommandBuffer& command);
    bool ReadAnswer(CommandBuffer& answer);

    DeviceTable& table;
    MonitorState& state;
    ShowMessage showMessage;
    Pause pause;
};

} // namespace kelvo
