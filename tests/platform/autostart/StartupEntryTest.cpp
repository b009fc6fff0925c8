#include "platform/autostart/StartupEntry.h"

#include "tests/platform/autostart/ScopedVariable.h"
#include "tests/platform/autostart/WithoutRoot.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace kelvo::autostart {
namespace {

namespace fs = std::filesystem;
using testing::ScopedVariable;
using testing::TemporaryDirectory;

// Reads an entry back as a desktop environment would: the string escapes
// first, then the quoting of the Exec argument.
std::map<std::string, std::string> ParseEntry(const std::string& entry) {
    std::map<std::string, std::string> values;
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string value;
        for (std::size_t position = equals + 1; position < line.size(); ++position) {
            if (line[position] != '\\' || position + 1 == line.size()) {
                value += line[position];
                continue;
            }
            const char escaped = line[++position];
            value += escaped == 's'   ? ' '
                     : escaped == 'n' ? '\n'
                     : escaped == 't' ? '\t'
                     : escaped == 'r' ? '\r'
                                      : escaped;
        }
        values[line.substr(0, equals)] = value;
    }
    return values;
}

std::string UnquoteExec(const std::string& exec) {
    if (exec.size() < 2 || exec.front() != '"' || exec.back() != '"') {
        return "(not one quoted argument) " + exec;
    }
    std::string argument;
    for (std::size_t position = 1; position + 1 < exec.size(); ++position) {
        const char c = exec[position];
        if (c == '\\' || (c == '%' && exec[position + 1] == '%')) {
            argument += exec[++position];
        } else if (c == '"' || c == '`' || c == '$' || c == '%') {
            return "(unescaped " + std::string(1, c) + ") " + exec;
        } else {
            argument += c;
        }
    }
    return argument;
}

// What desktop-file-validate says about the file: empty when it finds no
// error and no warning.
std::string ValidatorComplaints(const fs::path& file) {
    const std::string command = "desktop-file-validate '" + file.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "(could not run desktop-file-validate)";
    }
    std::string output;
    char buffer[512];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, count);
    }
    const int status = ::pclose(pipe);
    return status == 0 ? output : output + "(exit status " + std::to_string(status) + ")";
}

TEST(StartupEntryPath, XdgConfigHomeThenHome) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/x/config", "/home/u", "/x/config/autostart/HID Kelvo2.desktop"},
        {nullptr, "/home/u", "/home/u/.config/autostart/HID Kelvo2.desktop"},
        {"", "/home/u", "/home/u/.config/autostart/HID Kelvo2.desktop"},
        {"relative/config", "/home/u", "/home/u/.config/autostart/HID Kelvo2.desktop"},
        {nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        const ScopedVariable xdg("XDG_CONFIG_HOME", c.xdg);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(EntryPath(), fs::path(c.expected)) << (c.xdg ? c.xdg : "(unset)");
    }
}

TEST(StartupEntryText, AnyProgramPathComesBackExactly) {
    TemporaryDirectory temporary;
    const fs::path file = temporary / "entry.desktop";
    const std::string programs[] = {
        "/usr/bin/kelvomon",
        "/opt/HID Kelvo2/kelvomon",
        "/opt/say \"hi\"/it's/kelvomon",
        "/opt/back\\slash/kelvomon",
        "/opt/$HOME/`id`/kelvomon",
        "/opt/100%/%f %u/kelvomon",
        "/opt/tab\there/new\nline/kelvomon",
        "/opt/Überwachung/温度/kelvomon",
        "/opt/a;b|c&d<e>f~g*h?i#j(k)l/kelvomon",
    };
    const fs::path folder = "/home/u/my logs\\ ";
    for (const std::string& program : programs) {
        const std::string entry = DesktopEntry(program, folder);
        const auto values = ParseEntry(entry);
        EXPECT_EQ(values.at("Type"), "Application");
        EXPECT_EQ(values.at("Name"), "HID Kelvo2");
        EXPECT_EQ(UnquoteExec(values.at("Exec")), program) << entry;
        EXPECT_EQ(values.at("Path"), folder.string()) << entry;
        TemporaryDirectory::WriteFile(file, entry);
        EXPECT_EQ(ValidatorComplaints(file), "") << entry;
    }
}

TEST(StartupEntryText, PathsWithoutADesktopEntryFormAreRefused) {
    TemporaryDirectory temporary;
    const ScopedVariable xdg("XDG_CONFIG_HOME", temporary.Path().c_str());
    for (const char* program : {"/opt/\x01/kelvomon", "/opt/\xff/kelvomon", "/opt/\xc0\xaf/k"}) {
        EXPECT_EQ(DesktopEntry(program, "/home/u"), "");
        EXPECT_EQ(WriteEntry(program, "/home/u"), EntryResult::failed);
    }
    EXPECT_EQ(DesktopEntry("/usr/bin/kelvomon", "/tmp/\x7f"), "");
    EXPECT_EQ(WriteEntry("", "/home/u"), EntryResult::failed); // program path unknown
    EXPECT_FALSE(fs::exists(EntryPath()));
}

class StartupEntry : public ::testing::Test {
protected:
    TemporaryDirectory temporary;
    const fs::path configHome = temporary / "config";
    const ScopedVariable xdg{"XDG_CONFIG_HOME", configHome.c_str()};
    const fs::path entryPath = configHome / "autostart" / "HID Kelvo2.desktop";
    const fs::path program = "/opt/HID Kelvo2/kelvomon";
};

TEST_F(StartupEntry, WrittenWithItsFoldersRewrittenAndRemoved) {
    ASSERT_EQ(EntryPath(), entryPath);
    EXPECT_EQ(WriteEntry(program, "/home/u"), EntryResult::done);
    const std::string entry = TemporaryDirectory::ReadFile(entryPath);
    EXPECT_EQ(entry, DesktopEntry(program, "/home/u"));
    EXPECT_EQ(fs::status(configHome).permissions(), fs::perms::owner_all);

    TemporaryDirectory::WriteFile(entryPath, "[Desktop Entry]\nHidden=true\n");
    EXPECT_EQ(WriteEntry(program, "/home/u"), EntryResult::done);
    EXPECT_EQ(TemporaryDirectory::ReadFile(entryPath), entry);

    EXPECT_EQ(RemoveEntry(), EntryResult::done);
    EXPECT_FALSE(fs::exists(entryPath));
    EXPECT_EQ(RemoveEntry(), EntryResult::done); // already gone: nothing to say
}

TEST_F(StartupEntry, ReadOnlyFolderFailsAndKeepsTheOldEntry) {
    ASSERT_EQ(WriteEntry(program, "/home/u"), EntryResult::done);
    const std::string entry = TemporaryDirectory::ReadFile(entryPath);
    const fs::perms passable = fs::perms::owner_all | fs::perms::others_exec;
    fs::permissions(temporary.Path(), passable);
    fs::permissions(configHome, passable);
    fs::permissions(entryPath.parent_path(), fs::perms::owner_read | fs::perms::owner_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);

    const int written = testing::RunWithoutRoot(
        [this] { return static_cast<int>(WriteEntry("/usr/bin/other", "/home/u")); });
    const int removed = testing::RunWithoutRoot([] { return static_cast<int>(RemoveEntry()); });
    fs::permissions(entryPath.parent_path(), fs::perms::owner_all);
    EXPECT_EQ(written, static_cast<int>(EntryResult::failed));
    EXPECT_EQ(removed, static_cast<int>(EntryResult::failed));
    EXPECT_EQ(TemporaryDirectory::ReadFile(entryPath), entry);
}

TEST_F(StartupEntry, NoFolderToNameIsNotAFailure) {
    const ScopedVariable noXdg("XDG_CONFIG_HOME", nullptr);
    const ScopedVariable noHome("HOME", nullptr);
    EXPECT_EQ(WriteEntry(program, "/home/u"), EntryResult::unavailable);
    EXPECT_EQ(RemoveEntry(), EntryResult::unavailable);
}

TEST_F(StartupEntry, RunningProgramIsThisOne) {
    EXPECT_EQ(RunningProgramPath(), fs::canonical("/proc/self/exe"));
}

} // namespace
} // namespace kelvo::autostart
