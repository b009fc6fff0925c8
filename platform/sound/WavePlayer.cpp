#include "platform/sound/WavePlayer.h"

#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace kelvo::sound {
namespace {

// ALSA reports every failed open on stderr unless a handler takes its
// messages; the monitor plays its alarms without a word.
void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(SilentAlsaErrors); });
}

// libsndfile reads the sound from memory, so that the file itself is opened
// only by ReadWholeFile and its checks.
struct MemoryFile {
    std::string_view bytes;
    sf_count_t position = 0;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = file->position;
    } else if (whence == SEEK_END) {
        base = size;
    } else if (whence != SEEK_SET) {
        return -1;
    }
    if (offset < -base || offset > size - base) {
        return -1;
    }
    file->position = base + offset;
    return file->position;
}

sf_count_t Read(void* destination, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t available = std::max<sf_count_t>(0, size - file->position);
    const sf_count_t taken = std::clamp<sf_count_t>(count, 0, available);
    std::memcpy(destination, file->bytes.data() + file->position, static_cast<std::size_t>(taken));
    file->position += taken;
    return taken;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

class SoundFile {
public:
    explicit SoundFile(std::string_view bytes) : memory{bytes, 0} {
        SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
        file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
    ~SoundFile() {
        if (file != nullptr) {
            sf_close(file);
        }
    }
    SNDFILE* Get() const { return file; }
    const SF_INFO& Info() const { return info; }

private:
    MemoryFile memory;
    SF_INFO info{};
    SNDFILE* file = nullptr;
};

class Device {
public:
    Device() {
        if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
            pcm = nullptr;
        }
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (pcm != nullptr) {
            snd_pcm_close(pcm);
        }
    }
    snd_pcm_t* Get() const { return pcm; }

private:
    snd_pcm_t* pcm = nullptr;
};

// How the decoded samples travel to the device: 16-bit for sounds of at most
// 16 bits, so that their samples reach the device unchanged; 32-bit for
// wider integers; floating point for the rest.
enum class SampleKind { int16, int32, float32 };

SampleKind KindOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
        return SampleKind::int32;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
        return SampleKind::float32;
    default:
        return SampleKind::int16;
    }
}

snd_pcm_format_t AlsaFormat(SampleKind kind) {
    switch (kind) {
    case SampleKind::int32:
        return SND_PCM_FORMAT_S32;
    case SampleKind::float32:
        return SND_PCM_FORMAT_FLOAT;
    case SampleKind::int16:
        break;
    }
    return SND_PCM_FORMAT_S16;
}

// Writes `frames` interleaved frames of `frameBytes` each; false when the
// device fails for good.
bool WriteFrames(snd_pcm_t* pcm, const unsigned char* samples, sf_count_t frames,
                 std::size_t frameBytes) {
    while (frames > 0) {
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm, samples, static_cast<snd_pcm_uframes_t>(frames));
        if (written < 0) {
            // An underrun (the worker was late) or a suspend: start again.
            if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) {
                return false;
            }
            continue;
        }
        samples += static_cast<std::size_t>(written) * frameBytes;
        frames -= written;
    }
    return true;
}

template <class Sample>
bool Stream(SNDFILE* file, snd_pcm_t* pcm, int channels,
            sf_count_t (*read)(SNDFILE*, Sample*, sf_count_t)) {
    constexpr sf_count_t chunkFrames = 4096;
    std::vector<Sample> buffer(static_cast<std::size_t>(chunkFrames * channels));
    const std::size_t frameBytes = sizeof(Sample) * static_cast<std::size_t>(channels);
    for (;;) {
        const sf_count_t frames = read(file, buffer.data(), chunkFrames);
        if (frames <= 0) {
            return true;
        }
        if (!WriteFrames(pcm, reinterpret_cast<const unsigned char*>(buffer.data()), frames,
                         frameBytes)) {
            return false;
        }
    }
}

} // namespace

bool PlayWaveBytes(std::string_view bytes) {
    SilenceAlsa();
    SoundFile sound(bytes);
    if (sound.Get() == nullptr) {
        return false;
    }
    const SF_INFO& info = sound.Info();
    if (info.channels < 1 || info.samplerate < 1) {
        return false;
    }
    Device device;
    snd_pcm_t* pcm = device.Get();
    if (pcm == nullptr) {
        return false;
    }
    const SampleKind kind = KindOf(info.format);
    // Half a second of buffer: enough that a busy machine does not starve it.
    constexpr unsigned latencyMicroseconds = 500000;
    if (snd_pcm_set_params(pcm, AlsaFormat(kind), SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(info.channels),
                           static_cast<unsigned>(info.samplerate), 1, latencyMicroseconds) < 0) {
        return false;
    }
    bool played = false;
    switch (kind) {
    case SampleKind::int16:
        played = Stream<short>(sound.Get(), pcm, info.channels, sf_readf_short);
        break;
    case SampleKind::int32:
        played = Stream<int>(sound.Get(), pcm, info.channels, sf_readf_int);
        break;
    case SampleKind::float32:
        played = Stream<float>(sound.Get(), pcm, info.channels, sf_readf_float);
        break;
    }
    // The caller waits for the sound, not only for the hand-over of its samples.
    return snd_pcm_drain(pcm) >= 0 && played;
}

} // namespace kelvo::sound
