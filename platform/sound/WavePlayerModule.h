#pragma once

#include <cstddef>

// The monitor's sound module: a file of its own beside the program (or in
// the installed program's private library folder), with one C entry point.
namespace kelvo::sound {

inline constexpr char waveModuleFile[] = "kelvomon-sound.so";
inline constexpr char waveModuleEntry[] = "KelvoPlayWaveBytes";

using WaveModuleEntry = bool (*)(const char* bytes, std::size_t size);

} // namespace kelvo::sound

extern "C" bool KelvoPlayWaveBytes(const char* bytes, std::size_t size);
