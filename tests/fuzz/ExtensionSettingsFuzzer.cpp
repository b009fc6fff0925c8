#include "monitor/core/ExtensionSettings.h"
#include "platform/autostart/ExecLine.h"
#include "platform/autostart/StartupEntry.h"
#include "platform/ini/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The [Extensions] section comes from Config.ini, which the user may have
// edited; the alarm command line from the dialog or the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<kelvo::ExtensionProblem> problems;
    const kelvo::ExtensionSettings read =
        kelvo::ReadExtensionSettings(kelvo::IniFile::FromText(text), problems);

    // Whatever was taken is written in a form that reads back to itself.
    kelvo::IniFile written;
    written.SetString(kelvo::extensionsSection, "DesktopNotify", "1");
    kelvo::WriteExtensionSettings(read, written);
    problems.clear();
    const kelvo::ExtensionSettings again =
        kelvo::ReadExtensionSettings(kelvo::IniFile::FromText(written.Text()), problems);
    if (!problems.empty() ||
        kelvo::FormatExtensionSettings(again) != kelvo::FormatExtensionSettings(read)) {
        __builtin_trap();
    }

    // A quoted argument splits back into itself, whatever it holds.
    const kelvo::autostart::ExecLine line =
        kelvo::autostart::SplitExecLine("p " + kelvo::autostart::QuoteExecArgument(text));
    if (!line.problem.empty() || line.arguments.size() != 2 || line.arguments[1] != text) {
        __builtin_trap();
    }
    return 0;
}
