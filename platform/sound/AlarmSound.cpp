#include "platform/sound/AlarmSound.h"

#include "platform/ini/FileReplace.h"
#include "platform/sound/WavePlayer.h"

#include <system_error>

namespace kelvo::sound {

std::filesystem::path WaveFolder() {
    std::error_code error;
    return std::filesystem::current_path(error) / "wav";
}

bool PlayAlarmSound(const std::string& name) {
    // A stored name is one entry of the wave folder: a path in it could reach
    // any file outside.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return false;
    }
    std::error_code error;
    const std::filesystem::path folder = WaveFolder();
    if (!std::filesystem::is_directory(folder, error)) {
        return false;
    }
    std::string bytes;
    if (ReadWholeFile(folder / name, bytes) != FileReadResult::read) {
        return false;
    }
    return PlayWaveBytes(bytes);
}

} // namespace kelvo::sound
