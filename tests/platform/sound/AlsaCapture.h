#pragma once

#include "tests/platform/autostart/ScopedVariable.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <alsa/asoundlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace kelvo::testing {

// ALSA configured by a file of the test's own for the life of the object.
// ALSA keeps the configuration it read until told to forget it, so it is
// dropped on the way in and on the way out.
class AlsaConfiguration {
public:
    explicit AlsaConfiguration(const std::string& path) {
        snd_config_update_free_global();
        variable.emplace("ALSA_CONFIG_PATH", path.c_str());
    }
    AlsaConfiguration(const AlsaConfiguration&) = delete;
    AlsaConfiguration& operator=(const AlsaConfiguration&) = delete;
    ~AlsaConfiguration() {
        variable.reset();
        snd_config_update_free_global();
    }

private:
    std::optional<ScopedVariable> variable;
};

// ALSA's "default" device writing what it plays to a file, as raw samples.
// With a null slave behind it, playing takes no real time.
class AlsaCapture {
public:
    explicit AlsaCapture(const std::filesystem::path& folder)
        : output(folder / "played.raw"), configuration(WriteConfiguration(folder, output)) {}

    bool Played() const { return std::filesystem::exists(output); }
    std::string Samples() const { return TemporaryDirectory::ReadFile(output); }
    // Forgets what was played, so that the next play shows on its own.
    void Clear() const { std::filesystem::remove(output); }

private:
    static std::string WriteConfiguration(const std::filesystem::path& folder,
                                          const std::filesystem::path& output) {
        const std::filesystem::path path = folder / "alsa.conf";
        std::ofstream(path) << "pcm.!default { type file slave { pcm { type null } } file \""
                            << output.string() << "\" format \"raw\" truncate true }\n";
        return path.string();
    }

    std::filesystem::path output;
    AlsaConfiguration configuration;
};

// ALSA with an empty configuration: no device can be opened.
class AlsaWithoutDevices : public AlsaConfiguration {
public:
    AlsaWithoutDevices() : AlsaConfiguration("/dev/null") {}
};

} // namespace kelvo::testing
