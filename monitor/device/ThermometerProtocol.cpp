#include "monitor/device/ThermometerProtocol.h"

#include <thread>
#include <utility>

namespace kelvo {

namespace {

// A stored calibration byte pair counts only when its whole part, offset by
// 20, lies in 10 to 29: the device answers zeros when it holds none.
bool TakeCalibration(std::uint8_t whole, std::uint8_t tenths, double& calibration) {
    if (whole < 10 || whole > 29) {
        return false;
    }
    calibration = static_cast<double>(whole) + static_cast<double>(tenths) / 10.0 - 20.0;
    return true;
}

} // namespace

ThermometerProtocol::ThermometerProtocol(DeviceTable& table, MonitorState& state,
                                         ShowMessage showMessage, Pause pause)
    : table(table), state(state), showMessage(std::move(showMessage)), pause(std::move(pause)) {}

void ThermometerProtocol::SleepPause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

CommandBuffer ThermometerProtocol::Command(std::uint8_t letter) {
    CommandBuffer command{};
    command[0] = letter;
    return command;
}

bool ThermometerProtocol::Send(const CommandBuffer& command) {
    return table.HidWriteSelected(command.data(), 0, static_cast<int>(command.size())) == 1;
}

bool ThermometerProtocol::ReadAnswer(CommandBuffer& answer) {
    return table.HidReadSelected(answer.data(), 0, static_cast<int>(answer.size())) == 1;
}

bool ThermometerProtocol::SendSelectionCommand(bool select) {
    return Send(Command(select ? 'C' : 'D'));
}

bool ThermometerProtocol::ReadConfiguration(std::uint8_t& byte0, std::uint8_t& byte1,
                                            std::uint8_t& byte2, std::uint8_t& byte3,
                                            std::uint8_t& byte4, std::uint8_t& byte5) {
    CommandBuffer buffer = Command('R');
    const bool written = Send(buffer);
    pause(answerPause);
    // Read whatever the write did; after a failed read the buffer still holds
    // the command, so the caller gets 'R' and five zeros.
    const bool read = ReadAnswer(buffer);
    byte0 = buffer[0];
    byte1 = buffer[1];
    byte2 = buffer[2];
    byte3 = buffer[3];
    byte4 = buffer[4];
    byte5 = buffer[5];
    return written && read;
}

void ThermometerProtocol::CheckDeviceType() {
    if (table.DeviceCount() == 0) {
        return;
    }
    auto& config = state.deviceConfig;
    ReadConfiguration(config[0], config[1], config[2], config[3], config[4], config[5]);
    TakeCalibration(config[2], config[3], state.innerCalibration);
    TakeCalibration(config[4], config[5], state.outerCalibration);
    if (config[1] != expectedTypeCode && showMessage) {
        showMessage(deviceTypeMessage);
    }
}

bool ThermometerProtocol::WriteConfiguration(std::uint8_t typeCode, std::uint8_t innerWhole,
                                             std::uint8_t innerTenths, std::uint8_t outerWhole,
                                             std::uint8_t outerTenths) {
    CommandBuffer command = Command('W');
    command[1] = typeCode;
    command[2] = innerWhole;
    command[3] = innerTenths;
    command[4] = outerWhole;
    command[5] = outerTenths;
    return Send(command);
}

double ThermometerProtocol::ReadTemperature(bool inner) {
    if (!Send(Command(inner ? 'T' : 'S'))) {
        return TEMP_WRITE_FAILED;
    }
    pause(answerPause);
    CommandBuffer answer{};
    if (!ReadAnswer(answer)) {
        return TEMP_READ_FAILED;
    }
    // A genuine 0.0 degrees cannot be told from no answer at all.
    if (answer[0] == 0 && answer[1] == 0) {
        return TEMP_NO_DATA;
    }
    return DecodeTemperature(answer);
}

double ThermometerProtocol::DecodeTemperature(const CommandBuffer& answer) {
    // The upper 12 bits of the big-endian word, in sixteenths of a degree and
    // two's complement; the low nibble carries nothing.
    const int raw = answer[0] * 16 + answer[1] / 16;
    const int sixteenths = (answer[0] & 0x80) == 0 ? raw : -(4096 - raw);
    return sixteenths * 0.0625;
}

} // namespace kelvo
