#include "monitor/device/SimulatedThermometer.h"

#include "monitor/device/TransferHeader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace kelvo {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The stage after a header: a write brings this many data bytes; its length
// byte carries only the low 8 bits, so 0 stands for a whole 256-byte command.
std::size_t DataLength(std::uint8_t lengthByte) {
    return lengthByte == 0 ? 256 : lengthByte;
}

} // namespace

std::vector<SimulatedReading> ParseSimulatedReadings(std::string_view text) {
    std::vector<SimulatedReading> readings;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view entry = Trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (entry == "err") {
            readings.push_back({SimulatedReading::Kind::sensorError, 0.0});
        } else if (entry == "empty") {
            readings.push_back({SimulatedReading::Kind::empty, 0.0});
        } else if (!entry.empty()) {
            double value = 0.0;
            const auto [end, error] =
                std::from_chars(entry.data(), entry.data() + entry.size(), value);
            if (error == std::errc{} && end == entry.data() + entry.size() &&
                std::isfinite(value)) {
                readings.push_back({SimulatedReading::Kind::celsius, value});
            }
        }
    }
    return readings;
}

std::array<std::uint8_t, 2> EncodeTemperature(double celsius) {
    const double steps = std::clamp(std::round(celsius * 16.0), -2048.0, 2047.0);
    const auto word = static_cast<std::uint16_t>((static_cast<int>(steps) & 0x0FFF) << 4);
    return {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)};
}

SimulatedThermometer::SimulatedThermometer(std::vector<SimulatedReading> readings,
                                           double baseCelsius)
    : readings(std::move(readings)), baseCelsius(baseCelsius) {}

bool SimulatedThermometer::ReceiveOutputReport(std::span<const std::uint8_t> report) {
    if (report.empty() || report[0] != 0) {
        return false;
    }
    const auto payload = report.subspan(1);
    // A report that opens with the mark starts a new transfer, even when an
    // earlier write broke off before all its data came (reports too short to
    // hold the mark cannot be told apart this way).
    if (stage == Stage::data && payload.size() >= transferMark.size()) {
        if (std::equal(transferMark.begin(), transferMark.end(), payload.begin())) {
            stage = Stage::header;
            header.clear();
        }
    }
    for (const std::uint8_t byte : payload) {
        bool unitDone = false;
        ReceivePayloadByte(byte, unitDone);
        // A header or a command always ends its report; the rest is fill.
        if (unitDone) {
            break;
        }
    }
    return true;
}

void SimulatedThermometer::ReceivePayloadByte(std::uint8_t byte, bool& unitDone) {
    if (stage == Stage::header) {
        if (header.size() < transferMark.size() && byte != transferMark[header.size()]) {
            // Not a transfer: the device drops the rest of the report.
            header.clear();
            unitDone = true;
            return;
        }
        header.push_back(byte);
        if (header.size() == TransferHeader{}.size()) {
            FinishHeader();
            unitDone = true;
        }
        return;
    }
    data.push_back(byte);
    if (data.size() == dataLength) {
        Execute();
        stage = Stage::header;
        unitDone = true;
    }
}

void SimulatedThermometer::FinishHeader() {
    const auto direction = static_cast<TransferDirection>(header[6]);
    if (direction == TransferDirection::write) {
        stage = Stage::data;
        data.clear();
        dataLength = DataLength(header[5]);
    } else if (direction == TransferDirection::read) {
        answerRequested = true;
    }
    header.clear();
}

void SimulatedThermometer::Execute() {
    const std::uint8_t command = data[0];
    commands.push_back(command);
    switch (command) {
    case 'T':
    case 'S': {
        answer.fill(0);
        const auto bytes = NextTemperature();
        answer[0] = bytes[0];
        answer[1] = bytes[1];
        break;
    }
    case 'R':
        answer.fill(0);
        std::copy(configuration.begin(), configuration.end(), answer.begin());
        break;
    case 'W':
        // Bytes 1 to 5 replace the type code and the two calibration pairs.
        if (data.size() >= configuration.size()) {
            std::copy_n(data.begin() + 1, configuration.size() - 1, configuration.begin() + 1);
        }
        break;
    default:
        // C and D select the device for this host; nothing to answer.
        break;
    }
}

std::array<std::uint8_t, 2> SimulatedThermometer::NextTemperature() {
    const std::size_t count = readingCount++;
    if (readings.empty()) {
        // One slow swing of 3 degrees every 120 readings.
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(count % 120) / 120.0;
        return EncodeTemperature(baseCelsius + 3.0 * std::sin(phase));
    }
    const SimulatedReading& reading = readings[count % readings.size()];
    switch (reading.kind) {
    case SimulatedReading::Kind::sensorError:
        return {0x9C, 0x00};
    case SimulatedReading::Kind::empty:
        return {0x00, 0x00};
    case SimulatedReading::Kind::celsius:
        break;
    }
    return EncodeTemperature(reading.celsius);
}

bool SimulatedThermometer::AnswerFeatureReport(std::span<std::uint8_t> report) {
    if (!answerRequested || report.empty() || report[0] != 0) {
        return false;
    }
    answerRequested = false;
    const std::size_t count = std::min(report.size() - 1, answer.size());
    std::copy_n(answer.begin(), count, report.begin() + 1);
    std::fill(report.begin() + 1 + static_cast<std::ptrdiff_t>(count), report.end(), 0);
    return true;
}

} // namespace kelvo
