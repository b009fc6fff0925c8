#include "monitor/core/ExtensionSettings.h"
#include "monitor/core/ConfigurationStore.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <map>

namespace kelvo {
namespace {

using testing::TemporaryDirectory;

class NoPages : public ConfigurationPages {
public:
    void SetCurveChecks(bool, bool) override {}
    void GetCurveChecks(bool& inner, bool& outer) override { inner = outer = true; }
    void SetStartupMode(bool) override {}
    bool IsAutoStart() override { return false; }
};

class ExtensionsSection : public ::testing::Test {
protected:
    std::vector<std::string> Load() { return LoadConfiguration(state, pages, path); }
    void Save() { ASSERT_TRUE(SaveConfiguration(state, pages, path)); }

    // The section's lines as the file holds them.
    std::string SectionText() const {
        const std::string text = TemporaryDirectory::ReadFile(path);
        const std::size_t start = text.find("[Extensions]");
        return start == std::string::npos ? "" : text.substr(start);
    }

    TemporaryDirectory directory;
    const std::filesystem::path path = directory / "Config.ini";
    MonitorState state;
    NoPages pages;
};

TEST_F(ExtensionsSection, DefaultsChangeNothingAndAreWrittenOut) {
    EXPECT_TRUE(Load().empty());
    const ExtensionSettings& loaded = state.extensions;
    EXPECT_FALSE(loaded.desktopNotify);
    EXPECT_EQ(loaded.alarmCommand, "");
    EXPECT_FALSE(loaded.backInBandNotice);
    EXPECT_EQ(loaded.alarmHysteresis, 0.0);
    EXPECT_EQ(loaded.mailSecurity, MailSecurity::None);
    EXPECT_EQ(loaded.mailPort, 0);
    EXPECT_EQ(loaded.mailCAFile, "");
    EXPECT_EQ(loaded.metricsListen, "");
    EXPECT_EQ(MailPortFor(loaded.mailSecurity, loaded.mailPort), 25);

    // A file without the section keeps without it while everything is at
    // its default: the monitor writes what it always wrote.
    Save();
    EXPECT_EQ(SectionText(), "");
    TemporaryDirectory::WriteFile(path, "[ConfigInfo]\n[Extensions]\nDesktopNotify=0\n");
    Save();
    EXPECT_EQ(SectionText(), "[Extensions]\n"
                             "DesktopNotify=0\n"
                             "AlarmCommand=\n"
                             "BackInBandNotice=0\n"
                             "AlarmHysteresis=0.00\n"
                             "MailSecurity=none\n"
                             "MailPort=0\n"
                             "MailCAFile=\n"
                             "MetricsListen=\n");
}

TEST_F(ExtensionsSection, RoundTripsAndKeepsKeysItDoesNotKnow) {
    const std::filesystem::path authorities = directory / "ca.pem";
    TemporaryDirectory::WriteFile(authorities, "PEM");
    TemporaryDirectory::WriteFile(path, "[Extensions]\nMetricsPath=/probe\n"
                                        "[Other]\nkept=yes\n");
    Load();
    ExtensionSettings& extensions = state.extensions;
    extensions.desktopNotify = true;
    // Enclosing quotes and edge blanks are what the ini reader strips off.
    extensions.alarmCommand = "\"/opt/my tools/alarm\" \"x;rm -rf y\"";
    extensions.backInBandNotice = true;
    extensions.alarmHysteresis = 0.5;
    extensions.mailSecurity = MailSecurity::StartTls;
    extensions.mailPort = 2525;
    extensions.mailCAFile = authorities.string();
    extensions.metricsListen = "0.0.0.0:9100";
    Save();

    MonitorState reloaded;
    EXPECT_TRUE(LoadConfiguration(reloaded, pages, path).empty());
    const ExtensionSettings& again = reloaded.extensions;
    EXPECT_TRUE(again.desktopNotify);
    EXPECT_EQ(again.alarmCommand, extensions.alarmCommand);
    EXPECT_TRUE(again.backInBandNotice);
    EXPECT_EQ(again.alarmHysteresis, 0.5);
    EXPECT_EQ(again.mailSecurity, MailSecurity::StartTls);
    EXPECT_EQ(again.mailPort, 2525);
    EXPECT_EQ(again.mailCAFile, authorities.string());
    EXPECT_EQ(again.metricsListen, "0.0.0.0:9100");

    const std::string file = TemporaryDirectory::ReadFile(path);
    EXPECT_NE(file.find("MetricsPath=/probe\n"), std::string::npos);
    EXPECT_NE(file.find("[Other]\nkept=yes\n"), std::string::npos);
}

struct BadValue {
    const char* key;
    const char* text;
    const char* why; // in the note
};

TEST_F(ExtensionsSection, BadValuesFallBackOneByOne) {
    const BadValue bad[] = {
        {"DesktopNotify", "yes", "not 1 or 0"},
        {"AlarmCommand", "\"unclosed", "not closed"},
        {"BackInBandNotice", "2", "not 1 or 0"},
        {"AlarmHysteresis", "-0.5", "not a number"},
        {"MailSecurity", "ssl", "not none"},
        {"MailPort", "70000", "not a port"},
        {"MailCAFile", "/nowhere/ca.pem", "no readable file"},
        {"MetricsListen", "localhost:9464", "not a numeric IPv4 address"},
        {"MetricsListen", "127.0.0.1:65536", "not a port"},
        {"MetricsListen", "9464", "no port"},
    };
    for (const BadValue& value : bad) {
        SCOPED_TRACE(value.text);
        // One bad key beside good ones: only the bad one falls back.
        std::map<std::string, std::string> lines{
            {"DesktopNotify", "1"}, {"AlarmHysteresis", "0.25"}, {"MailSecurity", "tls"}};
        lines[value.key] = value.text;
        std::string section = "[Extensions]\n";
        for (const auto& [key, text] : lines) {
            section += key + "=" + text + "\n";
        }
        TemporaryDirectory::WriteFile(path, section);
        const std::vector<std::string> notes = Load();
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_NE(notes[0].find(std::string(value.key) + "=" + value.text + " is not used ("),
                  std::string::npos)
            << notes[0];
        EXPECT_NE(notes[0].find(value.why), std::string::npos) << notes[0];

        std::vector<ExtensionProblem> problems;
        const ExtensionSettings defaults = ParseExtensionSettings({}, problems);
        const ExtensionTexts loaded = FormatExtensionSettings(state.extensions);
        EXPECT_EQ(loaded.at(value.key), FormatExtensionSettings(defaults).at(value.key));
        const std::string key = value.key;
        EXPECT_EQ(state.extensions.desktopNotify, key != "DesktopNotify");
        EXPECT_EQ(state.extensions.alarmHysteresis, key == "AlarmHysteresis" ? 0.0 : 0.25);
        EXPECT_EQ(state.extensions.mailSecurity,
                  key == "MailSecurity" ? MailSecurity::None : MailSecurity::Tls);
    }
}

TEST(ExtensionSettings, ReadsValuesAsTheyAreTyped) {
    std::vector<ExtensionProblem> problems;
    const ExtensionSettings settings =
        ParseExtensionSettings({{"AlarmHysteresis", " 1.256 "},
                                {"MailPort", "465"},
                                {"DesktopNotify", "0"},
                                {"MetricsListen", " 127.0.0.1:9464 "}},
                               problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_DOUBLE_EQ(settings.alarmHysteresis, 1.26);
    EXPECT_EQ(settings.mailPort, 465);
    EXPECT_EQ(settings.metricsListen, "127.0.0.1:9464");
    for (const char* text : {"", "abc", "1,5", "nan", "inf", "1e3"}) {
        problems.clear();
        ParseExtensionSettings({{"AlarmHysteresis", text}}, problems);
        EXPECT_EQ(problems.size(), 1u) << text;
    }
    EXPECT_EQ(MailPortFor(MailSecurity::StartTls, 0), 587);
    EXPECT_EQ(MailPortFor(MailSecurity::Tls, 0), 465);
    EXPECT_EQ(MailPortFor(MailSecurity::Tls, 2465), 2465);
}

} // namespace
} // namespace kelvo
