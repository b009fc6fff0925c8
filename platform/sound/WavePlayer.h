#pragma once

#include <string_view>

namespace kelvo::sound {

// Decodes a sound file's bytes (any format libsndfile reads) and plays them
// on ALSA's "default" device; returns once the device has played everything.
// False, with nothing printed, when the bytes are no sound libsndfile can
// read or the device cannot be opened or fed.
bool PlayWaveBytes(std::string_view bytes);

} // namespace kelvo::sound
