#include "platform/com/Registry.h"

#include "platform/com/RegistryDocument.h"
#include "tests/platform/com/TemporaryRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kelvo {
namespace {

constexpr Guid ChartId = GuidLiteral("{3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A3}");

const ClassRecord ChartRecord{ChartId, "Plotra.PChart", "Chart", "/opt/Plotra5.ocx", true};

std::string Contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(RegistryDocumentTest, DamagedLinesCostOnlyThemselves) {
    const auto document = RegistryDocument::Parse("stray line\n"
                                                  "[Class A]\r\n"
                                                  "  Library = /x/a.ocx  \n"
                                                  "no equals sign\n"
                                                  "# Library=/comment\n"
                                                  "[class a]\n"
                                                  "Name=second part\n"
                                                  "[Other\n"
                                                  "Key=belongs to Class A still\n");
    ASSERT_NE(document.Value("CLASS A", "Library"), nullptr);
    EXPECT_EQ(*document.Value("CLASS A", "Library"), "/x/a.ocx");
    EXPECT_EQ(*document.Value("Class A", "Name"), "second part");
    EXPECT_EQ(*document.Value("Class A", "Key"), "belongs to Class A still");
    EXPECT_EQ(document.SectionNames().size(), 1u);

    const auto again = RegistryDocument::Parse(document.Text());
    EXPECT_EQ(again.Text(), document.Text());
}

TEST(RegistryTest, PathFollowsTheEnvironment) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    unsetenv("KELVO_REGISTRY");
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(RegistryPath(), "/data/home/kelvo/registry.ini");
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/user", 1);
    EXPECT_EQ(RegistryPath(), "/home/user/.local/share/kelvo/registry.ini");
    setenv("KELVO_REGISTRY", "/tmp/other.ini", 1);
    EXPECT_EQ(RegistryPath(), "/tmp/other.ini");
    unsetenv("KELVO_REGISTRY");
    unsetenv("XDG_DATA_HOME");

    // No home and a current folder that was deleted: a relative path, no exception.
    unsetenv("HOME");
    const auto previous = std::filesystem::current_path();
    {
        TemporaryRegistry gone;
        unsetenv("KELVO_REGISTRY");
        std::filesystem::current_path(gone.Folder());
        std::filesystem::remove(gone.Folder());
        std::filesystem::path path;
        EXPECT_NO_THROW(path = RegistryPath());
        EXPECT_EQ(path, ".local/share/kelvo/registry.ini");
        Guid found;
        EXPECT_EQ(FindClassId("Plotra.PChart", &found), results::ClassNotRegistered);
        std::filesystem::current_path(previous);
    }
    setenv("HOME", home.c_str(), 1);
}

TEST(RegistryTest, ClassRoundTripThroughTheFile) {
    TemporaryRegistry registry;
    Guid found;
    EXPECT_EQ(FindClassId("Plotra.PChart", &found), results::ClassNotRegistered);

    ASSERT_EQ(RegisterClass({ChartId, "Plotra.PChart", "Chart", "/opt/Plotra5.ocx", true}),
              results::Ok);
    ASSERT_EQ(FindClassId("plotra.pchart", &found), results::Ok);
    EXPECT_EQ(found, ChartId);
    ClassRecord record;
    ASSERT_EQ(FindClass(ChartId, &record), results::Ok);
    EXPECT_EQ(record.library, "/opt/Plotra5.ocx");
    EXPECT_EQ(record.progId, "Plotra.PChart");
    EXPECT_TRUE(record.control);

    // Registering again under a new ProgID drops the old one.
    ASSERT_EQ(RegisterClass({ChartId, "Plotra.PChart.2", "Chart", "/opt/Plotra5.ocx", true}),
              results::Ok);
    EXPECT_EQ(FindClassId("Plotra.PChart", &found), results::ClassNotRegistered);
    EXPECT_EQ(FindClassId("Plotra.PChart.2", &found), results::Ok);

    ASSERT_EQ(UnregisterClass(ChartId), results::Ok);
    EXPECT_EQ(FindClassId("Plotra.PChart.2", &found), results::ClassNotRegistered);
    EXPECT_EQ(FindClass(ChartId, &record), results::ClassNotRegistered);
    EXPECT_EQ(UnregisterClass(ChartId), results::Ok);

    // Nothing but the registry and its lock file is left behind.
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(registry.Folder()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"registry.ini", "registry.ini.lock"}));
}

TEST(RegistryTest, TypeLibraryRoundTrip) {
    TemporaryRegistry registry;
    const Guid id = GuidLiteral("{A97CDEA2-248C-11D6-959D-006008A7EED4}");
    ASSERT_EQ(RegisterTypeLibrary({id, "PlotFrameCtl", "1.0", "0x0409", "control", "/x/p.ocx"}),
              results::Ok);
    TypeLibraryRecord record;
    ASSERT_EQ(FindTypeLibrary(id, &record), results::Ok);
    EXPECT_EQ(record.name, "PlotFrameCtl");
    EXPECT_EQ(record.version, "1.0");
    EXPECT_EQ(record.locale, "0x0409");
    ASSERT_EQ(UnregisterTypeLibrary(id), results::Ok);
    EXPECT_EQ(FindTypeLibrary(id, &record), results::ClassNotRegistered);

    const Guid interfaceId = GuidLiteral("{A97CDEA3-248C-11D6-959D-006008A7EED4}");
    ASSERT_EQ(RegisterInterface({interfaceId, "_PlotraFrm", id, "dual hidden"}), results::Ok);
    DeclaredInterface declared;
    ASSERT_EQ(FindInterface(interfaceId, &declared), results::Ok);
    EXPECT_EQ(declared.name, "_PlotraFrm");
    EXPECT_EQ(declared.typeLibrary, id);
    EXPECT_EQ(declared.flags, "dual hidden");
    EXPECT_EQ(RegisterInterface({interfaceId, "two\nlines", id, ""}), results::InvalidArgument);
    ASSERT_EQ(UnregisterInterface(interfaceId), results::Ok);
    EXPECT_EQ(FindInterface(interfaceId, &declared), results::ClassNotRegistered);
}

TEST(RegistryTest, WhatCannotBeStoredIsRefusedAndTheFileKept) {
    TemporaryRegistry registry;
    ASSERT_EQ(RegisterClass({ChartId, "Plotra.PChart", "Chart", "/opt/Plotra5.ocx", true}),
              results::Ok);
    const Guid other = GuidLiteral("{3F2C9A62-5D7E-4B0A-9E41-7C2D18F0B5A3}");
    EXPECT_EQ(RegisterClass({other, "Bar", "Two\nlines", "/x", false}), results::InvalidArgument);
    EXPECT_EQ(RegisterClass({other, "[Bar]", "Bar", "/x", false}), results::InvalidArgument);
    EXPECT_EQ(RegisterClass({other, "Bar", "Bar", "/new\nline", false}), results::InvalidArgument);
    Guid found;
    EXPECT_EQ(FindClassId("Plotra.PChart", &found), results::Ok);
    EXPECT_EQ(FindClassId("Bar", &found), results::ClassNotRegistered);
}

TEST(RegistryTest, UnwritablePlaceGivesWriteFault) {
    TemporaryRegistry registry;
    // A plain file where the registry's folder should be.
    std::ofstream(registry.Folder() / "blocker") << "x";
    setenv("KELVO_REGISTRY", (registry.Folder() / "blocker" / "registry.ini").c_str(), 1);
    EXPECT_EQ(RegisterClass({ChartId, "Plotra.PChart", "Chart", "/opt/Plotra5.ocx", true}),
              results::WriteFault);
    Guid found;
    EXPECT_EQ(FindClassId("Plotra.PChart", &found), results::ClassNotRegistered);
}

TEST(RegistryTest, ASaveFollowsNoPlantedLinkAndKeepsTheRegistrysLinkAndMode) {
    TemporaryRegistry registry;
    const std::filesystem::path victim = registry.Folder() / "victim";
    std::ofstream(victim) << "precious";
    // The names a save could once be predicted to use.
    std::filesystem::create_symlink(victim, registry.Folder() /
                                                ("real.ini." + std::to_string(getpid()) + ".tmp"));
    std::filesystem::create_symlink(
        victim, registry.Folder() / ("registry.ini." + std::to_string(getpid()) + ".tmp"));
    std::ofstream(registry.Folder() / "real.ini") << "";
    ASSERT_EQ(chmod((registry.Folder() / "real.ini").c_str(), 0640), 0);
    std::filesystem::create_symlink("real.ini", registry.Path());

    ASSERT_EQ(RegisterClass(ChartRecord), results::Ok);
    EXPECT_EQ(Contents(victim), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(registry.Path()));
    EXPECT_NE(Contents(registry.Folder() / "real.ini").find("Plotra.PChart"), std::string::npos);
    struct stat status {};
    ASSERT_EQ(stat((registry.Folder() / "real.ini").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(RegistryTest, AFifoIsNoRegistryAndNeitherReadNorReplaced) {
    TemporaryRegistry registry;
    ASSERT_EQ(mkfifo(registry.Path().c_str(), 0600), 0);
    auto lookup = std::async(std::launch::async, [] {
        Guid found;
        return FindClassId("Plotra.PChart", &found);
    });
    if (lookup.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the stuck reader go: a writer that closes at once gives it an end of file.
        close(open(registry.Path().c_str(), O_WRONLY | O_NONBLOCK));
        ADD_FAILURE() << "the lookup waited for a writer";
    }
    EXPECT_EQ(lookup.get(), results::ClassNotRegistered);
    EXPECT_EQ(RegisterClass(ChartRecord), results::Fail);
    EXPECT_EQ(std::filesystem::status(registry.Path()).type(), std::filesystem::file_type::fifo);
}

TEST(RegistryTest, AnOversizedRegistryIsNeitherReadNorReplaced) {
    TemporaryRegistry registry;
    const std::string text = "[ProgID Plotra.PChart]\nCLSID=" + GuidText(ChartId) + "\n" +
                             std::string(std::size_t{1} << 20, '\n');
    std::ofstream(registry.Path(), std::ios::binary) << text;
    Guid found;
    EXPECT_EQ(FindClassId("Plotra.PChart", &found), results::ClassNotRegistered);
    EXPECT_EQ(RegisterClass(ChartRecord), results::Fail);
    EXPECT_EQ(Contents(registry.Path()), text);
}

TEST(RegistryTest, ConcurrentWritersLoseNoEntry) {
    TemporaryRegistry registry;
    constexpr int PerThread = 15;
    auto writer = [](int thread) {
        for (int i = 0; i < PerThread; ++i) {
            Guid id = ChartId;
            id.data1 = static_cast<std::uint32_t>(thread * 100 + i);
            RegisterClass({id, "Class." + std::to_string(thread) + "." + std::to_string(i), "x",
                           "/x.ocx", false});
        }
    };
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    first.join();
    second.join();
    for (int thread : {1, 2})
        for (int i = 0; i < PerThread; ++i) {
            Guid found;
            EXPECT_EQ(
                FindClassId("Class." + std::to_string(thread) + "." + std::to_string(i), &found),
                results::Ok);
        }
}

} // namespace
} // namespace kelvo
