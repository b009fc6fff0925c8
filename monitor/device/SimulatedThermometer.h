#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kelvo {

// One answer the simulated thermometer gives to a temperature command.
struct SimulatedReading {
    enum class Kind {
        celsius,     // the value below
        sensorError, // answers 0x9C 0x00, which decodes to -100.0
        empty,       // answers 0x00 0x00
    };
    Kind kind = Kind::celsius;
    double celsius = 0.0;
    friend bool operator==(const SimulatedReading&, const SimulatedReading&) = default;
};

// Comma-separated Celsius values, "err" and "empty", as KELVOMON_SIM_TEMPS
// holds them. Entries that are none of these are left out.
std::vector<SimulatedReading> ParseSimulatedReadings(std::string_view text);

// The two answer bytes for a temperature: sixteenths of a degree in the upper
// 12 bits of a big-endian word, rounded to the nearest step and held to the
// range the word can carry.
std::array<std::uint8_t, 2> EncodeTemperature(double celsius);

// The command interface of one thermometer, byte for byte as the device sees
// its output reports and feature requests. Not thread-safe: its owner locks.
class SimulatedThermometer {
public:
    // With no readings it follows a slow curve around `baseCelsius`.
    explicit SimulatedThermometer(std::vector<SimulatedReading> readings = {},
                                  double baseCelsius = 22.0);

    // One output report, report-ID byte first. False when the device would
    // refuse it (a report ID other than 0).
    bool ReceiveOutputReport(std::span<const std::uint8_t> report);

    // Fills a feature report request, report-ID byte first. False unless a
    // read header came in since the last answer: the device stalls.
    bool AnswerFeatureReport(std::span<std::uint8_t> report);

    void SetTypeCode(std::uint8_t typeCode) { configuration[1] = typeCode; }
    const std::array<std::uint8_t, 6>& Configuration() const { return configuration; }
    // Command letters carried out so far, in order.
    const std::vector<std::uint8_t>& Commands() const { return commands; }

private:
    enum class Stage { header, data };

    void ReceivePayloadByte(std::uint8_t byte, bool& unitDone);
    void FinishHeader();
    void Execute();
    std::array<std::uint8_t, 2> NextTemperature();

    std::vector<SimulatedReading> readings;
    double baseCelsius;
    std::size_t readingCount = 0;

    // Byte 0 is the device's own; 'X' is the Kelvo type code; calibrations of
    // 0.0 are stored as 20 and 0.
    std::array<std::uint8_t, 6> configuration{0x00, 'X', 20, 0, 20, 0};
    std::vector<std::uint8_t> commands;

    Stage stage = Stage::header;
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> data;
    std::size_t dataLength = 0;
    bool answerRequested = false;
    std::array<std::uint8_t, 256> answer{};
};

} // namespace kelvo
