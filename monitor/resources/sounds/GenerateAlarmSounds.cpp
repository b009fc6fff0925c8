// Writes the monitor's alarm sounds into the folder given as the only
// argument: short 16-bit mono wave files, each recognisable at once.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int sampleRate = 22050;
constexpr double pi = 3.14159265358979323846;
// Well below full scale: loud, never clipped.
constexpr double level = 0.6;

struct Note {
    double frequency; // 0 for a rest
    double seconds;
    double decay; // 0 for a steady tone, otherwise the amplitude's fall per second
};

// Each note starts and ends with a few milliseconds of fade, so that no note
// clicks as it starts or stops.
std::vector<short> Render(const std::vector<Note>& notes) {
    std::vector<short> samples;
    const int fade = sampleRate / 200;
    for (const Note& note : notes) {
        const int count = static_cast<int>(note.seconds * sampleRate);
        for (int i = 0; i < count; ++i) {
            const double time = static_cast<double>(i) / sampleRate;
            double amplitude = level * std::exp(-note.decay * time);
            amplitude *= std::min(
                {1.0, static_cast<double>(i) / fade, static_cast<double>(count - 1 - i) / fade});
            // A touch of the octave above makes the tone carry without harshness.
            const double wave = note.frequency == 0.0
                                    ? 0.0
                                    : 0.8 * std::sin(2 * pi * note.frequency * time) +
                                          0.2 * std::sin(4 * pi * note.frequency * time);
            samples.push_back(static_cast<short>(std::lround(amplitude * wave * 32767.0)));
        }
    }
    return samples;
}

bool Write(const std::string& path, const std::vector<short>& samples) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    const auto frames = static_cast<sf_count_t>(samples.size());
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    // A siren of two alternating tones.
    std::vector<Note> alarm;
    for (int i = 0; i < 4; ++i) {
        alarm.push_back({880.0, 0.2, 0.0});
        alarm.push_back({660.0, 0.2, 0.0});
    }
    // Three short beeps.
    const std::vector<Note> beeps{{1000.0, 0.12, 0.0},
                                  {0.0, 0.08, 0.0},
                                  {1000.0, 0.12, 0.0},
                                  {0.0, 0.08, 0.0},
                                  {1000.0, 0.12, 0.0}};
    // A falling three-note chime that rings out.
    const std::vector<Note> chime{{1318.5, 0.3, 3.0}, {1046.5, 0.3, 3.0}, {784.0, 0.7, 3.0}};
    const bool written = Write(folder + "/Alarm.wav", Render(alarm)) &&
                         Write(folder + "/Beeps.wav", Render(beeps)) &&
                         Write(folder + "/Chime.wav", Render(chime));
    return written ? 0 : 1;
}
