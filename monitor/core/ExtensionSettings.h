#pragma once

#include "monitor/mail/MailSecurity.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

class IniFile;

// The settings beyond the original program, in Config.ini's own section
// [Extensions]. Every default leaves the monitor as it always was.
//
// A new key takes: a field here, a line in ExtensionKeys() (name, default,
// how the dialog offers it, help), one line in ParseExtensionSettings and one
// in FormatExtensionSettings.
struct ExtensionSettings {
    bool desktopNotify = false;
    std::string alarmCommand; // an Exec line; empty: none
    bool backInBandNotice = false;
    double alarmHysteresis = 0.0; // in the display unit
    MailSecurity mailSecurity = MailSecurity::None;
    int mailPort = 0; // 0: by security
    std::string mailCAFile;
    std::string metricsListen; // "127.0.0.1:9464" and the like; empty: no metrics
};

inline constexpr std::string_view extensionsSection = "Extensions";

// How the "More settings..." dialog offers a key.
enum class ExtensionKeyKind {
    Flag,   // a check box; stored "1" or "0"
    Choice, // a list of the choices' texts
    Text,   // an edit field
};

struct ExtensionKey {
    std::string name;
    std::string fallback; // the stored text of the default
    ExtensionKeyKind kind = ExtensionKeyKind::Text;
    std::vector<std::string> choices;
    std::string help;
};

// Every key, in the order of the file and the dialog.
const std::vector<ExtensionKey>& ExtensionKeys();

// One stored text per key name.
using ExtensionTexts = std::map<std::string, std::string, std::less<>>;

// A value that cannot be taken, and why.
struct ExtensionProblem {
    std::string key;
    std::string text;
    std::string reason;
};

// The settings the texts give. A key without a text keeps its default; so
// does a key whose text is bad, which adds a problem.
ExtensionSettings ParseExtensionSettings(const ExtensionTexts& texts,
                                         std::vector<ExtensionProblem>& problems);

// The stored text of every key.
ExtensionTexts FormatExtensionSettings(const ExtensionSettings& settings);

// "[Extensions] AlarmHysteresis=abc is not used (not a number of 0 or more); the default 0.00
// applies"
std::string DescribeProblem(const ExtensionProblem& problem);

// The section of a loaded file, and the section written into one; the file's
// other keys in the section stay. A file without any of the keys gets none
// while every setting is at its default.
ExtensionSettings ReadExtensionSettings(const IniFile& file,
                                        std::vector<ExtensionProblem>& problems);
void WriteExtensionSettings(const ExtensionSettings& settings, IniFile& file);

} // namespace kelvo
