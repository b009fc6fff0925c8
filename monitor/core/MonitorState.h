#pragma once

#include "monitor/core/ExtensionSettings.h"

#include <array>
#include <cstdint>
#include <string>

namespace kelvo {

// An RGB colour as the dialogs paint it.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr int mailRowCount = 10;

// The ten e-mail configuration rows, one ten-slot array per field, in the
// order of their stored form.
struct MailConfigRows {
    std::array<std::string, mailRowCount> server;
    std::array<std::string, mailRowCount> sender;
    std::array<std::string, mailRowCount> userName;
    std::array<std::string, mailRowCount> recipients;
    std::array<std::string, mailRowCount> subjectPrefix;
    std::array<int, mailRowCount> interval{};
    std::array<bool, mailRowCount> sending{};
    std::array<bool, mailRowCount> periodic{};
    std::array<double, mailRowCount> upper{};
    std::array<double, mailRowCount> lower{};
    std::array<std::string, mailRowCount> password;
};

// The main window's record of monitor state, kept free of widgets so that the
// sampling rules, the configuration store and the record file can work on it
// without a window. The main window owns exactly one.
struct MonitorState {
    int tableRowNumber = 0;
    bool isCelsius = true;
    bool readPhase = true;
    std::array<std::uint8_t, 6> deviceConfig{};
    std::array<std::uint8_t, 5> pendingConfig{};
    int readInterval = 1;
    int readTicks = 0;
    std::string recordDirectory;
    std::string recordFileName;
    int saveInterval = 5;
    int saveTicks = 1;
    int recordRowNumber = 0;
    int saveItems = 1000;
    bool innerPending = true;
    // The latest inner reading gave no temperature (a sensor error, an empty
    // answer or a failed exchange); innerCurrent keeps the last temperature,
    // or 0.0 after a failure.
    bool innerSkipped = false;
    double innerCurrent = 0.0;
    double innerMax = 0.0;
    double innerMin = 0.0;
    double innerAvg = 0.0;
    double innerCalibration = 0.0;
    bool outerPending = true;
    double outerCurrent = 0.0;
    double outerMax = 0.0;
    double outerMin = 0.0;
    double outerAvg = 0.0;
    double outerCalibration = 0.0;
    bool mailTimerOn = false;
    int mailTicks = 1;
    int mailInterval = 1;
    Colour innerTextColour{0, 0, 0};
    Colour outerTextColour{0, 0, 0};
    bool colourPhase = true;
    bool samplingBusy = false;
    bool deviceMissing = false;
    bool innerAlarmOn = false;
    bool outerAlarmOn = false;
    double innerUpper = 50.0;
    double innerLower = 0.0;
    double outerUpper = 50.0;
    double outerLower = 0.0;
    std::string innerWaveFile;
    std::string outerWaveFile;
    int mailRowIndex = 0;
    MailConfigRows mailRows;
    int tsct = 0;
    ExtensionSettings extensions;

    // True when innerCurrent is a temperature from the latest reading: one
    // has been taken since start-up or rediscovery, and the latest gave a
    // temperature. The chart, the table, the alarm, the record file and the
    // mail take innerCurrent only then, so none of them ever gets a stand-in.
    bool HasInnerTemperature() const { return !innerPending && !innerSkipped; }
};

// The record directory used when none is configured: $HOME/HIDKelvo2/.
std::string DefaultRecordDirectory();

// The start values the main window sets before the configuration is loaded.
void SetDefaults(MonitorState& state);

} // namespace kelvo
