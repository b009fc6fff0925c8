#include "platform/sound/AlarmSound.h"

#include "tests/platform/sound/AlsaCapture.h"
#include "tests/platform/sound/WaveBytes.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace kelvo {
namespace {

using testing::AlsaCapture;
using testing::SampleBytes;
using testing::TemporaryDirectory;
using testing::WaveFile;

// Everything written to the standard error stream while the object lives.
class CapturedStandardError {
public:
    explicit CapturedStandardError(const std::filesystem::path& file) : file(file) {
        std::fflush(stderr);
        saved = ::dup(STDERR_FILENO);
        const int target = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(target, STDERR_FILENO);
        ::close(target);
    }
    CapturedStandardError(const CapturedStandardError&) = delete;
    CapturedStandardError& operator=(const CapturedStandardError&) = delete;
    ~CapturedStandardError() { Restore(); }

    std::string Text() {
        Restore();
        return TemporaryDirectory::ReadFile(file);
    }

private:
    void Restore() {
        if (saved >= 0) {
            std::fflush(stderr);
            ::dup2(saved, STDERR_FILENO);
            ::close(saved);
            saved = -1;
        }
    }
    std::filesystem::path file;
    int saved = -1;
};

class AlarmSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDirectory = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path());
    }
    void TearDown() override { std::filesystem::current_path(previousDirectory); }

    void AddWave(const std::string& name, const std::string& contents) {
        std::filesystem::create_directories(folder / "wav");
        TemporaryDirectory::WriteFile(folder / "wav" / name, contents);
    }

    TemporaryDirectory folder;

private:
    std::filesystem::path previousDirectory;
};

TEST_F(AlarmSoundTest, PlaysTheFileSamplesUnchangedOnTheDefaultDevice) {
    struct Case {
        int channels;
        int rate;
    };
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 20000; ++i) {
        samples.push_back(static_cast<std::int16_t>((i * 7919) % 65536 - 32768));
    }
    for (const Case& sound : {Case{1, 8000}, Case{2, 44100}}) {
        SCOPED_TRACE(sound.channels);
        AddWave("Tone.wav", WaveFile(sound.channels, sound.rate, samples));
        const AlsaCapture capture(folder.Path());
        EXPECT_TRUE(sound::PlayAlarmSound("Tone.wav"));
        ASSERT_TRUE(capture.Played());
        EXPECT_TRUE(capture.Samples() == SampleBytes(samples)) << "not the file's samples";
    }
}

TEST_F(AlarmSoundTest, FailsQuietlyAndPlaysNothingWithoutAPlayableFile) {
    const std::string wave = WaveFile(1, 8000, {1, 2, 3, 4});
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string name;
    };
    const std::vector<Case> cases{
        {"empty name", [&] { AddWave("Tone.wav", wave); }, ""},
        {"no wave folder", [] {}, "Tone.wav"},
        {"wave folder is a file", [&] { TemporaryDirectory::WriteFile(folder / "wav", wave); },
         "Tone.wav"},
        {"missing file", [&] { AddWave("Other.wav", wave); }, "Tone.wav"},
        {"a folder by that name",
         [&] { std::filesystem::create_directories(folder / "wav" / "Tone.wav"); }, "Tone.wav"},
        {"no sound in the file", [&] { AddWave("Tone.wav", "RIFF but nothing more"); }, "Tone.wav"},
        {"path out of the folder",
         [&] { TemporaryDirectory::WriteFile(folder / "Tone.wav", wave); }, "../Tone.wav"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::filesystem::remove_all(folder / "wav");
        test.arrange();
        const AlsaCapture capture(folder.Path());
        CapturedStandardError errors(folder / "stderr.txt");
        EXPECT_FALSE(sound::PlayAlarmSound(test.name));
        EXPECT_EQ(errors.Text(), "");
        EXPECT_FALSE(capture.Played());
    }
}

TEST_F(AlarmSoundTest, NoDeviceFailsWithoutAWordFromAlsa) {
    AddWave("Tone.wav", WaveFile(1, 8000, {1, 2, 3, 4}));
    const testing::AlsaWithoutDevices noDevices;
    CapturedStandardError errors(folder / "stderr.txt");
    EXPECT_FALSE(sound::PlayAlarmSound("Tone.wav"));
    EXPECT_EQ(errors.Text(), "");
}

// The sounds the build places in the run folder: short, audible, each its own,
// and played whole.
TEST_F(AlarmSoundTest, TheBuildsAlarmSoundsAreShortDistinctAndPlayable) {
    const std::filesystem::path built = RUN_WAVE_FOLDER;
    std::set<std::string> contents;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(built)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++count;
        SF_INFO info{};
        SNDFILE* file = sf_open(entry.path().c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
        sf_readf_short(file, samples.data(), info.frames);
        sf_close(file);
        const double seconds = static_cast<double>(info.frames) / info.samplerate;
        EXPECT_GT(seconds, 0.2);
        EXPECT_LT(seconds, 3.0);
        int loudest = 0;
        for (short sample : samples) {
            loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
        }
        EXPECT_GT(loudest, 8000) << "too quiet to be heard";
        EXPECT_LT(loudest, 32767) << "clipped";
        contents.insert(TemporaryDirectory::ReadFile(entry.path()));

        AddWave(entry.path().filename().string(), TemporaryDirectory::ReadFile(entry.path()));
        const AlsaCapture capture(folder.Path());
        EXPECT_TRUE(sound::PlayAlarmSound(entry.path().filename().string()));
        EXPECT_EQ(capture.Samples().size(), samples.size() * sizeof(short));
    }
    EXPECT_GE(count, 2);
    EXPECT_EQ(contents.size(), static_cast<std::size_t>(count)) << "two sounds are the same";
}

} // namespace
} // namespace kelvo
