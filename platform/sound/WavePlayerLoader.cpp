// The monitor's own wave player: the sound module, loaded at the first alarm.
// Linked into a program, this definition stands in for the player of the
// sound library, so that the program itself needs neither ALSA nor
// libsndfile and its codecs: together they are a tenth of its start-up, and
// many runs never sound an alarm.

#include "platform/module/ProgramModule.h"
#include "platform/sound/WavePlayer.h"
#include "platform/sound/WavePlayerModule.h"

#include <cstdio>
#include <string>

namespace kelvo::sound {
namespace {

WaveModuleEntry LoadWaveModule() {
    std::string problem;
    if (void* entry = FindModuleEntry(waveModuleFile, waveModuleEntry, problem)) {
        return reinterpret_cast<WaveModuleEntry>(entry);
    }
    // Said once: every alarm after it is as silent as this one.
    std::fprintf(stderr, "alarm sounds are off: the sound module cannot be loaded: %s\n",
                 problem.c_str());
    return nullptr;
}

} // namespace

bool PlayWaveBytes(std::string_view bytes) {
    static const WaveModuleEntry play = LoadWaveModule();
    return play != nullptr && play(bytes.data(), bytes.size());
}

} // namespace kelvo::sound
