// The monitor's own wave player: the sound module, loaded at the first alarm.
// Linked into a program, this definition stands in for the player of the
// sound library, so that the program itself needs neither ALSA nor
// libsndfile and its codecs: together they are a tenth of its start-up, and
// many runs never sound an alarm.

#include "platform/sound/WavePlayer.h"
#include "platform/sound/WavePlayerModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace kelvo::sound {
namespace {

// Beside the program in the build's run folder; in the private library folder
// of an installed program, whatever the install prefix.
WaveModuleEntry LoadWaveModule() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = program.parent_path();
    std::string problems;
    for (const std::filesystem::path& candidate :
         {folder / waveModuleFile,
          folder.parent_path() / KELVO_INSTALL_LIBRARYDIR / waveModuleFile}) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = ::dlerror();
            problems += "; " + std::string(reason != nullptr ? reason : candidate.string());
            continue;
        }
        if (void* entry = ::dlsym(module, waveModuleEntry)) {
            return reinterpret_cast<WaveModuleEntry>(entry);
        }
        problems += "; " + candidate.string() + " has no " + waveModuleEntry;
        ::dlclose(module);
    }
    // Said once: every alarm after it is as silent as this one.
    std::fprintf(stderr, "alarm sounds are off: the sound module cannot be loaded%s\n",
                 problems.c_str());
    return nullptr;
}

} // namespace

bool PlayWaveBytes(std::string_view bytes) {
    static const WaveModuleEntry play = LoadWaveModule();
    return play != nullptr && play(bytes.data(), bytes.size());
}

} // namespace kelvo::sound
