// The entry point of the monitor's sound module: the wave player and the
// libraries behind it (ALSA, libsndfile and its codecs), loaded at the first
// alarm rather than at every start.

#include "platform/sound/WavePlayerModule.h"

#include "platform/sound/WavePlayer.h"

extern "C" __attribute__((visibility("default"))) bool KelvoPlayWaveBytes(const char* bytes,
                                                                          std::size_t size) {
    return kelvo::sound::PlayWaveBytes(std::string_view(bytes, size));
}
