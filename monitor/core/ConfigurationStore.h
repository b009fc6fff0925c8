#pragma once

#include "monitor/core/MonitorState.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kelvo {

// What the configuration store exchanges with the chart page (curve boxes) and
// the table page (start-up mode); the main window passes its pages through it.
class ConfigurationPages {
public:
    virtual ~ConfigurationPages() = default;
    virtual void SetCurveChecks(bool inner, bool outer) = 0;
    virtual void GetCurveChecks(bool& inner, bool& outer) = 0;
    virtual void SetStartupMode(bool automatic) = 0;
    virtual bool IsAutoStart() = 0;
};

// "Config.ini" in the process's current directory, asked for anew at each call.
std::filesystem::path ConfigurationPath();

// Reads every key of section "ConfigInfo" into state and the pages, and the
// section "Extensions". A missing or unreadable file, or a missing key, gives
// that key's default; so does a bad value of "Extensions", and the result
// tells each such value in one line.
std::vector<std::string> LoadConfiguration(MonitorState& state, ConfigurationPages& pages,
                                           const std::filesystem::path& path);

// Writes every key from state and the pages, in a fixed order, then the
// section "Extensions", keeping every
// other section, key and comment of the file. The file is replaced whole or
// not at all; false when it could not be written (nothing is reported further).
bool SaveConfiguration(const MonitorState& state, ConfigurationPages& pages,
                       const std::filesystem::path& path);

} // namespace kelvo
