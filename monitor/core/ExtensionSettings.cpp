#include "monitor/core/ExtensionSettings.h"

#include "monitor/core/ListenAddress.h"
#include "monitor/core/TextNumbers.h"
#include "platform/autostart/ExecLine.h"
#include "platform/ini/IniFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace kelvo {
namespace {

using Kind = ExtensionKeyKind;

constexpr std::string_view blanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Each parser gives the value, or nothing and the reason in `reason`.
std::optional<bool> ParseFlag(std::string_view text, std::string& reason) {
    text = Trim(text);
    if (text == "1" || text == "0") {
        return text == "1";
    }
    reason = "not 1 or 0";
    return std::nullopt;
}

// A control character has no place in a command or a path typed on one line,
// and a lone CR would end the line when the file is read again.
bool HoldsControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::optional<std::string> ParseCommand(std::string_view text, std::string& reason) {
    text = Trim(text);
    if (HoldsControl(text)) {
        reason = "it holds a control character";
        return std::nullopt;
    }
    const autostart::ExecLine line = autostart::SplitExecLine(text);
    if (!line.problem.empty()) {
        reason = line.problem;
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<double> ParseHysteresis(std::string_view text, std::string& reason) {
    text = Trim(text);
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || value < 0.0) {
        reason = "not a number of 0 or more";
        return std::nullopt;
    }
    // Kept as it is stored, with two decimals, so that memory and file agree.
    return std::round(value * 100.0) / 100.0;
}

std::optional<MailSecurity> ParseSecurity(std::string_view text, std::string& reason) {
    text = Trim(text);
    for (const MailSecurity security :
         {MailSecurity::None, MailSecurity::StartTls, MailSecurity::Tls}) {
        if (text == MailSecurityText(security)) {
            return security;
        }
    }
    reason = "not none, starttls or tls";
    return std::nullopt;
}

std::optional<int> ParsePort(std::string_view text, std::string& reason) {
    text = Trim(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > 65535) {
        reason = "not a port from 0 to 65535";
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ParseCaFile(std::string_view text, std::string& reason) {
    const std::string path(Trim(text));
    if (path.empty()) {
        return path;
    }
    if (HoldsControl(path)) {
        reason = "it holds a control character";
        return std::nullopt;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::access(path.c_str(), R_OK) != 0) {
        reason = "no readable file there";
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> ParseListen(std::string_view text, std::string& reason) {
    text = Trim(text);
    if (text.empty() || ParseListenAddress(text, reason)) {
        return std::string(text);
    }
    return std::nullopt;
}

// Takes one key's text through its parser into the field; a missing text
// leaves the default, a bad one too, with a problem.
template <class Value, class Field>
void Take(const ExtensionTexts& texts, std::string_view key, Field& field,
          std::optional<Value> (*parse)(std::string_view, std::string&),
          std::vector<ExtensionProblem>& problems) {
    const auto found = texts.find(key);
    if (found == texts.end()) {
        return;
    }
    std::string reason;
    if (std::optional<Value> value = parse(found->second, reason)) {
        field = std::move(*value);
    } else {
        problems.push_back({std::string(key), found->second, reason});
    }
}

std::string FallbackText(std::string_view key) {
    for (const ExtensionKey& known : ExtensionKeys()) {
        if (known.name == key) {
            return known.fallback;
        }
    }
    return {};
}

// The ini reader trims blanks and one pair of enclosing quotes off a value; a
// text it would change that way is stored inside one more pair.
std::string ProtectedValue(const std::string& text) {
    const bool enclosed = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                          text.back() == text.front();
    const bool edgeBlanks = !text.empty() && (blanks.find(text.front()) != std::string_view::npos ||
                                              blanks.find(text.back()) != std::string_view::npos);
    return enclosed || edgeBlanks ? "\"" + text + "\"" : text;
}

} // namespace

const std::vector<ExtensionKey>& ExtensionKeys() {
    static const std::vector<ExtensionKey> keys{
        {"DesktopNotify",
         "0",
         Kind::Flag,
         {},
         "Show a desktop notification when the temperature leaves the alarm band."},
        {"AlarmCommand",
         "",
         Kind::Text,
         {},
         "Run on alarm and clear, without a shell; quote like a desktop entry's Exec line."},
        {"BackInBandNotice",
         "0",
         Kind::Flag,
         {},
         "Also tell when it is back in band: a notification and one \"Clear\" mail."},
        {"AlarmHysteresis",
         "0.00",
         Kind::Text,
         {},
         "How far inside the band it must come back to clear, in the display unit."},
        {"MailSecurity",
         "none",
         Kind::Choice,
         {"none", "starttls", "tls"},
         "none: in clear; starttls, tls: encrypted, the server's certificate checked."},
        {"MailPort",
         "0",
         Kind::Text,
         {},
         "SMTP port; 0 takes 25, 587 or 465 by the security above."},
        {"MailCAFile",
         "",
         Kind::Text,
         {},
         "PEM file of the authorities to trust for the mail server; empty: the system's."},
        {"MetricsListen",
         "",
         Kind::Text,
         {},
         "Metrics, taken at start: 127.0.0.1:9464 this machine, 0.0.0.0:9464 all; empty: off."},
    };
    return keys;
}

ExtensionSettings ParseExtensionSettings(const ExtensionTexts& texts,
                                         std::vector<ExtensionProblem>& problems) {
    ExtensionSettings settings;
    Take(texts, "DesktopNotify", settings.desktopNotify, ParseFlag, problems);
    Take(texts, "AlarmCommand", settings.alarmCommand, ParseCommand, problems);
    Take(texts, "BackInBandNotice", settings.backInBandNotice, ParseFlag, problems);
    Take(texts, "AlarmHysteresis", settings.alarmHysteresis, ParseHysteresis, problems);
    Take(texts, "MailSecurity", settings.mailSecurity, ParseSecurity, problems);
    Take(texts, "MailPort", settings.mailPort, ParsePort, problems);
    Take(texts, "MailCAFile", settings.mailCAFile, ParseCaFile, problems);
    Take(texts, "MetricsListen", settings.metricsListen, ParseListen, problems);
    return settings;
}

ExtensionTexts FormatExtensionSettings(const ExtensionSettings& settings) {
    return {
        {"DesktopNotify", FormatFlag(settings.desktopNotify)},
        {"AlarmCommand", settings.alarmCommand},
        {"BackInBandNotice", FormatFlag(settings.backInBandNotice)},
        {"AlarmHysteresis", FormatFixed2(settings.alarmHysteresis)},
        {"MailSecurity", MailSecurityText(settings.mailSecurity)},
        {"MailPort", std::to_string(settings.mailPort)},
        {"MailCAFile", settings.mailCAFile},
        {"MetricsListen", settings.metricsListen},
    };
}

std::string DescribeProblem(const ExtensionProblem& problem) {
    return "[" + std::string(extensionsSection) + "] " + problem.key + "=" + problem.text +
           " is not used (" + problem.reason + "); the default \"" + FallbackText(problem.key) +
           "\" applies";
}

ExtensionSettings ReadExtensionSettings(const IniFile& file,
                                        std::vector<ExtensionProblem>& problems) {
    // A value that is not there cannot be told from an empty one by GetString
    // alone; a marker no value can hold (a line break) tells them apart.
    constexpr std::string_view absent = "\n";
    ExtensionTexts texts;
    for (const ExtensionKey& key : ExtensionKeys()) {
        std::string text = file.GetString(extensionsSection, key.name, absent, std::string::npos);
        if (text != absent) {
            texts.emplace(key.name, std::move(text));
        }
    }
    return ParseExtensionSettings(texts, problems);
}

void WriteExtensionSettings(const ExtensionSettings& settings, IniFile& file) {
    const ExtensionTexts texts = FormatExtensionSettings(settings);
    // A file that never had the section gets none while every setting is at
    // its default, so that it stays exactly as the monitor always wrote it.
    std::vector<ExtensionProblem> ignored;
    const bool defaults = texts == FormatExtensionSettings(ParseExtensionSettings({}, ignored));
    constexpr std::string_view absent = "\n";
    const bool anyStored =
        std::any_of(ExtensionKeys().begin(), ExtensionKeys().end(), [&](const ExtensionKey& key) {
            return file.GetString(extensionsSection, key.name, absent, std::string::npos) != absent;
        });
    if (defaults && !anyStored) {
        return;
    }
    for (const ExtensionKey& key : ExtensionKeys()) {
        const auto found = texts.find(key.name);
        file.SetString(extensionsSection, key.name,
                       ProtectedValue(found == texts.end() ? key.fallback : found->second));
    }
}

} // namespace kelvo
