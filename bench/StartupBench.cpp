// Start-up of the monitor against a bare Qt dialog with a tab widget: from the
// program's start to its window being mapped on the X display named by
// DISPLAY (scripts/bench starts an Xvfb of its own). Each program runs in a
// fresh folder; the monitor with one simulated thermometer.
//
// Usage: startup_bench MONITOR_PROGRAM CHART_LIBRARY BARE_DIALOG_PROGRAM [RUNS]

#include "bench/BenchReport.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t pidAtom = 0;

    bool Open() {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) {
            return false;
        }
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        // Every window mapped at the top level reports to us.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
        pidAtom = atom ? atom->atom : 0;
        std::free(atom);
        xcb_flush(connection);
        return pidAtom != 0;
    }

    pid_t WindowPid(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        pid_t pid = 0;
        if (reply && xcb_get_property_value_length(reply) == 4) {
            pid = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
        }
        std::free(reply);
        return pid;
    }

    // Waits until a top-level window of pid is mapped; false at the deadline.
    bool WaitForMap(pid_t pid, Clock::time_point deadline) {
        const int descriptor = xcb_get_file_descriptor(connection);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (mapped && WindowPid(window) == pid) {
                    return true;
                }
            }
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(descriptor, &readable);
            timeval wait{0, 20000};
            select(descriptor + 1, &readable, nullptr, nullptr, &wait);
        }
        return false;
    }
};

// Seconds from the start of the program to its window mapped; negative when
// it did not show within ten seconds.
double TimeToMapped(Display& display, const std::string& program,
                    const std::filesystem::path& folder, const std::vector<std::string>& env) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        environment.emplace_back(*entry);
    }
    environment.insert(environment.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};

    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const auto start = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data());
    std::filesystem::current_path(previous);
    if (spawned != 0) {
        return -1;
    }
    const bool mapped = display.WaitForMap(child, start + std::chrono::seconds(10));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    return mapped ? seconds : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s MONITOR CHART_LIBRARY BARE_DIALOG [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string monitor = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path chartLibrary = std::filesystem::absolute(argv[2]);
    const std::string bare = std::filesystem::absolute(argv[3]).string();
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 7;

    Display display;
    if (!display.Open()) {
        std::fprintf(stderr, "no X display (DISPLAY=%s)\n", std::getenv("DISPLAY"));
        return 1;
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvo-startup-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    // The monitor looks for its chart library in its current folder, and
    // registers it in a registry file of its own on its first start.
    std::filesystem::copy_file(chartLibrary, folder / chartLibrary.filename());
    const std::vector<std::string> monitorEnvironment = {
        "KELVOMON_SIMULATE=1", "KELVO_REGISTRY=" + (folder / "registry.ini").string(),
        "HOME=" + folder.string(), "XDG_CONFIG_HOME=" + (folder / "config").string()};

    // A first start of each, not timed: registration, font caches.
    TimeToMapped(display, monitor, folder, monitorEnvironment);
    TimeToMapped(display, bare, folder, {});
    std::vector<double> ours;
    std::vector<double> peer;
    for (int run = 0; run < runs; ++run) {
        // Taken in turn, so that a busy moment of the machine falls on both.
        ours.push_back(TimeToMapped(display, monitor, folder, monitorEnvironment));
        peer.push_back(TimeToMapped(display, bare, folder, {}));
        std::printf("run %d: monitor %.1f ms, bare dialog %.1f ms\n", run + 1, ours.back() * 1e3,
                    peer.back() * 1e3);
    }
    std::filesystem::remove_all(folder);
    if (std::find_if(ours.begin(), ours.end(), [](double s) { return s < 0; }) != ours.end() ||
        std::find_if(peer.begin(), peer.end(), [](double s) { return s < 0; }) != peer.end()) {
        std::printf("a window did not show within ten seconds\n");
        return 1;
    }

    using kelvo::bench::Recorder;
    std::printf("\nfrom the program's start to its window mapped on %s, wall time, minimum / "
                "median of %d runs taken in turn, after one untimed start of each.\n"
                "ours: kelvomon with one simulated thermometer, in a fresh folder (no Config.ini), "
                "its chart control registered by the untimed start. Bare dialog: a QDialog with "
                "a QTabWidget of four empty pages.\n",
                std::getenv("DISPLAY"), runs);
    // Here ours is the slower side: the ratio is our time over the peer's.
    const double ratio = Recorder::Minimum(ours) / Recorder::Minimum(peer);
    std::printf("RESULT|start-up to window mapped, one thermometer (ours / peer)|%s / %s|bare Qt "
                "dialog: %s / "
                "%s|%.2fx|%.2fx|<= 1.3x %s\n",
                kelvo::bench::Duration(Recorder::Minimum(ours)).c_str(),
                kelvo::bench::Duration(Recorder::Median(ours)).c_str(),
                kelvo::bench::Duration(Recorder::Minimum(peer)).c_str(),
                kelvo::bench::Duration(Recorder::Median(peer)).c_str(), ratio,
                Recorder::Median(ours) / Recorder::Median(peer), ratio <= 1.3 ? "met" : "NOT MET");
    return 0;
}
