#include "monitor/core/MonitorState.h"

#include <cstdlib>

namespace kelvo {

std::string DefaultRecordDirectory() {
    const char* home = std::getenv("HOME");
    std::string directory = (home != nullptr && *home != '\0') ? home : ".";
    if (directory.back() != '/') {
        directory += '/';
    }
    return directory + "HIDKelvo2/";
}

void SetDefaults(MonitorState& state) {
    // Fields the configuration load fills keep their values; only those with a
    // start value of their own are reset.
    state.tableRowNumber = 0;
    state.isCelsius = true;
    state.readPhase = true;
    state.readInterval = 1;
    state.readTicks = 0;
    state.recordDirectory = DefaultRecordDirectory();
    state.recordFileName.clear();
    state.saveTicks = 1;
    state.recordRowNumber = 0;
    state.saveItems = 1000;
    state.innerPending = true;
    state.innerSkipped = false;
    state.innerCalibration = 0.0;
    state.outerPending = true;
    state.outerCurrent = 0.0;
    state.outerCalibration = 0.0;
    state.mailTimerOn = false;
    state.mailTicks = 1;
    state.mailInterval = 1;
    state.innerTextColour = Colour{0, 0, 0};
    state.outerTextColour = Colour{0, 0, 0};
    state.colourPhase = true;
    state.samplingBusy = false;
    state.deviceMissing = false;
}

} // namespace kelvo
