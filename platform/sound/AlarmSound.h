#pragma once

#include <filesystem>
#include <string>

namespace kelvo::sound {

// The folder of alarm sounds: "wav" in the current directory.
std::filesystem::path WaveFolder();

// Plays the file `name` of the wave folder to its end. False, without a
// message, for an empty name, a name that is not a bare file name, a missing
// folder or file, a file that is no readable sound, or no sound device.
bool PlayAlarmSound(const std::string& name);

} // namespace kelvo::sound
