// Our Base64 against coreutils' base64, both ways, on 64 MiB of random bytes:
// each side reads the same file, codes it and writes the result to /dev/null.

#include "bench/BenchReport.h"
#include "monitor/mail/ZBase64.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace kelvo;

// 64 MiB less a byte: whole groups of three. The text decoder is made for
// one-line text and measures what it produces by the text's whole length, so
// on broken lines a padded last group would be cut off.
constexpr std::size_t DataSize = (64u << 20) - 1;
// A multiple of 57 bytes, so the encoded blocks join into whole lines, as the
// SMTP client streams attachments (in blocks of 11400).
constexpr std::size_t EncodeBlock = 11400 * 16;
// Whole lines of coreutils' text (76 characters and LF), so each block is
// whole groups and decodes on its own.
constexpr std::size_t DecodeBlock = 77 * 2048;

std::filesystem::path folder;
std::filesystem::path dataFile;    // the random bytes
std::filesystem::path encodedFile; // coreutils' text of them, 76 characters a line

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string ReadWhole(const std::filesystem::path& path) {
    const int file = open(path.c_str(), O_RDONLY);
    std::string bytes(std::filesystem::file_size(path), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(file, bytes.data() + done, bytes.size() - done);
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    close(file);
    bytes.resize(done);
    return bytes;
}

void WriteAll(int file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(file, bytes.data() + done, bytes.size() - done);
        if (put <= 0) {
            return;
        }
        done += static_cast<std::size_t>(put);
    }
}

// Runs base64 with these arguments, its output into output (a path), and
// gives the CPU seconds it took, user and system; negative when it failed.
double RunCoreutils(const std::vector<std::string>& arguments, const char* output) {
    std::vector<char*> argv;
    std::string program = "base64";
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output, O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "base64", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void OursEncode(benchmark::State& state) {
    const int output = open("/dev/null", O_WRONLY);
    std::string block(EncodeBlock, '\0');
    for (auto _ : state) {
        const double begin = ThreadSeconds();
        const int input = open(dataFile.c_str(), O_RDONLY);
        for (;;) {
            // Whole blocks, so that lines join across them.
            std::size_t filled = 0;
            while (filled < block.size()) {
                const ssize_t got = read(input, block.data() + filled, block.size() - filled);
                if (got <= 0) {
                    break;
                }
                filled += static_cast<std::size_t>(got);
            }
            if (filled == 0) {
                break;
            }
            WriteAll(output, ZBase64::Encode(std::string_view(block.data(), filled)));
        }
        close(input);
        state.SetIterationTime(ThreadSeconds() - begin);
    }
    close(output);
}

void CoreutilsEncode(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = RunCoreutils({"-w76", dataFile.string()}, "/dev/null");
        if (seconds < 0) {
            state.SkipWithError("base64 failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

// The decoder takes a zero-terminated text: blocks of whole lines are read
// into one buffer and decoded in turn, streaming as coreutils does.
void OursDecode(benchmark::State& state) {
    const int output = open("/dev/null", O_WRONLY);
    std::string block(DecodeBlock + 1, '\0');
    for (auto _ : state) {
        const double begin = ThreadSeconds();
        const int input = open(encodedFile.c_str(), O_RDONLY);
        for (;;) {
            std::size_t filled = 0;
            while (filled < DecodeBlock) {
                const ssize_t got = read(input, block.data() + filled, DecodeBlock - filled);
                if (got <= 0) {
                    break;
                }
                filled += static_cast<std::size_t>(got);
            }
            if (filled == 0) {
                break;
            }
            block[filled] = '\0';
            WriteAll(output, ZBase64::DecodeText(block.c_str()));
        }
        close(input);
        state.SetIterationTime(ThreadSeconds() - begin);
    }
    close(output);
}

// One call on the whole text: its 64 MiB result is new memory, and on a
// virtual machine touching it for the first time costs more than decoding.
void OursDecodeWhole(benchmark::State& state) {
    const int output = open("/dev/null", O_WRONLY);
    const std::string text = ReadWhole(encodedFile);
    for (auto _ : state) {
        const double begin = ThreadSeconds();
        WriteAll(output, ZBase64::DecodeText(text.c_str()));
        state.SetIterationTime(ThreadSeconds() - begin);
    }
    close(output);
}

void CoreutilsDecode(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = RunCoreutils({"-d", encodedFile.string()}, "/dev/null");
        if (seconds < 0) {
            state.SkipWithError("base64 -d failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

constexpr int Repetitions = 5;

BENCHMARK(OursEncode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(Repetitions);
BENCHMARK(CoreutilsEncode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(Repetitions);
BENCHMARK(OursDecode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(Repetitions);
BENCHMARK(CoreutilsDecode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(Repetitions);
BENCHMARK(OursDecodeWhole)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

// Both sides must give the same bytes, or the times compare different work.
bool SameOutputs(const std::string& data) {
    const std::string coreutilsText = ReadWhole(encodedFile);
    std::string ours = ZBase64::Encode(data);
    // Our lines end in CR LF, as mail wants them; coreutils' in LF.
    ours.erase(std::remove(ours.begin(), ours.end(), '\r'), ours.end());
    if (!ours.ends_with('\n')) {
        ours += '\n';
    }
    if (ours != coreutilsText) {
        std::printf("the encoded texts differ\n");
        return false;
    }
    const std::filesystem::path decodedFile = folder / "decoded.bin";
    if (RunCoreutils({"-d", encodedFile.string()}, decodedFile.c_str()) < 0 ||
        ReadWhole(decodedFile) != data || ZBase64::DecodeText(coreutilsText.c_str()) != data) {
        std::printf("the decoded bytes differ\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvo-base64-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    folder = pattern;
    dataFile = folder / "data.bin";
    encodedFile = folder / "data.b64";

    // No zero byte: the text decoder ends its result at the first one.
    std::string data(DataSize, '\0');
    std::mt19937_64 random(2045);
    std::uniform_int_distribution<int> byte(1, 255);
    std::generate(data.begin(), data.end(), [&] { return static_cast<char>(byte(random)); });
    {
        const int file = open(dataFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        WriteAll(file, data);
        close(file);
    }
    int result = 1;
    if (RunCoreutils({"-w76", dataFile.string()}, encodedFile.c_str()) >= 0 && SameOutputs(data)) {
        data = std::string();
        bench::Recorder recorder;
        benchmark::RunSpecifiedBenchmarks(&recorder);
        std::printf(
            "\n64 MiB less a byte of random bytes (none zero) in a file, read, coded, written "
            "to /dev/null; CPU time (user and system), minimum / median of %d runs; both sides' "
            "outputs checked byte for byte beforehand.\n"
            "ours: ZBase64::Encode on blocks of %zu bytes read from the file (lines of 76, CR LF); "
            "ZBase64::DecodeText on blocks of %zu lines of coreutils' text.\n"
            "coreutils: base64 -w76 FILE and base64 -d FILE (lines of 76, LF), as a process of its "
            "own; its start-up is included (about a millisecond).\n",
            Repetitions, EncodeBlock, DecodeBlock / 77);
        auto compare = [&recorder](const char* what, const char* ours, const char* peer) {
            bench::PrintComparison({what, "coreutils base64", recorder.MinimumReal(ours),
                                    recorder.MedianReal(ours), recorder.MinimumReal(peer),
                                    recorder.MedianReal(peer), 1.0});
        };
        compare("Base64 encode, 64 MiB, lines of 76", "OursEncode", "CoreutilsEncode");
        compare("Base64 decode, 64 MiB, lines of 76", "OursDecode", "CoreutilsDecode");
        bench::PrintComparison(
            {"Base64 decode in one call, 64 MiB result (new memory)", "coreutils base64",
             recorder.MinimumReal("OursDecodeWhole"), recorder.MedianReal("OursDecodeWhole"),
             recorder.MinimumReal("CoreutilsDecode"), recorder.MedianReal("CoreutilsDecode"), 0});
        result = 0;
    }
    std::filesystem::remove_all(folder);
    benchmark::Shutdown();
    return result;
}
