#include "monitor/core/ConfigurationStore.h"

#include "monitor/core/ExtensionSettings.h"
#include "monitor/core/MailConfigRow.h"
#include "monitor/core/TextNumbers.h"
#include "platform/ini/IniFile.h"

#include <string>
#include <system_error>

namespace kelvo {
namespace {

constexpr std::string_view section = "ConfigInfo";

std::string MailRowKey(int row) {
    return "EmailConfig" + std::to_string(row + 1);
}

// Intervals and row counts store 0 for "not set"; the monitor cannot run on 0.
int NonZero(int value, int replacement) {
    return value == 0 ? replacement : value;
}

} // namespace

std::filesystem::path ConfigurationPath() {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path("Config.ini") : directory / "Config.ini";
}

std::vector<std::string> LoadConfiguration(MonitorState& state, ConfigurationPages& pages,
                                           const std::filesystem::path& path) {
    IniFile file;
    file.Load(path); // a file that cannot be read gives the defaults, as a missing one does
    auto read = [&](std::string_view key, std::string_view fallback) {
        return file.GetString(section, key, fallback);
    };
    // Paths are read whole: a record folder cut short would send the records
    // elsewhere, and the cut path would be saved back over the right one.
    auto readPath = [&](std::string_view key, std::string_view fallback) {
        return file.GetString(section, key, fallback, std::string::npos);
    };

    state.isCelsius = read("Unit", "C") == "C";
    state.readInterval = NonZero(ReadInteger(read("ReadInterval", "5")), 1);
    state.recordDirectory = readPath("SaveFileDirectroy", DefaultRecordDirectory());
    if (state.recordDirectory.empty()) {
        state.recordDirectory = DefaultRecordDirectory();
    }
    state.saveItems = NonZero(ReadInteger(read("SaveItems", "10000")), 1000);
    state.saveInterval = NonZero(ReadInteger(read("SaveInterval", "5")), 1);

    for (int row = 0; row < mailRowCount; ++row) {
        // A row is read whole: cut at 259 characters like the other values, a row
        // with several recipients would lose its password and bounds, in memory
        // now and in the file at the next save.
        const std::string_view fallback = row < 2 ? sampleMailRow : std::string_view();
        ParseMailRow(state.mailRows,
                     file.GetString(section, MailRowKey(row), fallback, std::string::npos), row);
    }
    state.mailRowIndex = ReadInteger(read("EmailConfigIndex", "0"));

    const bool innerCurve = ReadFlag(read("CurveInner", "1"));
    const bool outerCurve = ReadFlag(read("CurveOuter", "1"));
    pages.SetCurveChecks(innerCurve, outerCurve);
    pages.SetStartupMode(read("AutoOrManual", "0") != "0");

    state.innerAlarmOn = ReadFlag(read("SoundAlarmInner", "0"));
    state.outerAlarmOn = ReadFlag(read("SoundAlarmOutter", "0"));
    state.innerUpper = ReadReal(read("SoundAlarmInnerUpper", "50"));
    state.innerLower = ReadReal(read("SoundAlarmInnerLower", "0"));
    state.outerUpper = ReadReal(read("SoundAlarmOutterUpper", "50"));
    state.outerLower = ReadReal(read("SoundAlarmOutterLower", "0"));
    state.innerWaveFile = readPath("SoundAlarmInnerFile", "");
    state.outerWaveFile = readPath("SoundAlarmOutterFile", "");

    state.tsct = ReadInteger(read("TSCT", "0"));

    std::vector<ExtensionProblem> problems;
    state.extensions = ReadExtensionSettings(file, problems);
    std::vector<std::string> notes;
    for (const ExtensionProblem& problem : problems) {
        notes.push_back(path.filename().string() + ": " + DescribeProblem(problem));
    }
    return notes;
}

bool SaveConfiguration(const MonitorState& state, ConfigurationPages& pages,
                       const std::filesystem::path& path) {
    IniFile file;
    // Replacing a file that is there but could not be read would destroy it.
    if (!file.Load(path)) {
        return false;
    }
    auto write = [&](std::string_view key, const std::string& value) {
        file.SetString(section, key, value);
    };

    write("Unit", state.isCelsius ? "C" : "F");
    write("ReadInterval", std::to_string(state.readInterval));
    write("SaveFileDirectroy", state.recordDirectory);
    write("SaveItems", std::to_string(state.saveItems));
    write("SaveInterval", std::to_string(state.saveInterval));
    for (int row = 0; row < mailRowCount; ++row) {
        write(MailRowKey(row), FormatMailRow(state.mailRows, row));
    }
    write("EmailConfigIndex", std::to_string(state.mailRowIndex));

    bool innerCurve = true;
    bool outerCurve = true;
    pages.GetCurveChecks(innerCurve, outerCurve);
    write("CurveInner", FormatFlag(innerCurve));
    write("CurveOuter", FormatFlag(outerCurve));
    write("AutoOrManual", FormatFlag(pages.IsAutoStart()));

    write("SoundAlarmInner", FormatFlag(state.innerAlarmOn));
    write("SoundAlarmOutter", FormatFlag(state.outerAlarmOn));
    write("SoundAlarmInnerUpper", FormatFixed2(state.innerUpper));
    write("SoundAlarmInnerLower", FormatFixed2(state.innerLower));
    write("SoundAlarmOutterUpper", FormatFixed2(state.outerUpper));
    write("SoundAlarmOutterLower", FormatFixed2(state.outerLower));
    write("SoundAlarmInnerFile", state.innerWaveFile);
    write("SoundAlarmOutterFile", state.outerWaveFile);

    write("TSCT", std::to_string(state.tsct));
    WriteExtensionSettings(state.extensions, file);
    return file.Save(path);
}

} // namespace kelvo
