// The CPU one reading costs the monitor's window, against the same loop with
// the window's painting switched off: the whole sampling cycle (read pass on
// the worker, readout and statistics, hand-off to the chart and the table),
// on one simulated thermometer with no pause, and the event loop turned
// after each pass as the one-second timer would leave it.
//
// Usage: reading_bench CHART_LIBRARY [READINGS]

#include "bench/BenchReport.h"
#include "monitor/app/CMainDlg.h"
#include "monitor/device/ProcessDeviceTable.h"
#include "monitor/device/SimulatedHidPlatform.h"
#include "platform/dialog/DialogColours.h"
#include "platform/dialog/UiThread.h"

#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

namespace {

using namespace kelvo;

// Paint events of the readout and of the chart, and the window's paint
// cycles: each one paints what is due and sends it to the display.
class PaintCounter : public QObject {
public:
    QObject* window = nullptr;
    QObject* readout = nullptr;
    int cycles = 0;
    int readoutPaints = 0;
    int chartPaints = 0;

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest && object == window) {
            ++cycles;
        } else if (event->type() == QEvent::Paint) {
            if (object == readout) {
                ++readoutPaints;
            } else if (qstrcmp(object->metaObject()->className(), "kelvo::ChartWidget") == 0) {
                ++chartPaints;
            }
        }
        return false;
    }
};

double ProcessSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Run {
    double secondsPerReading = 0;
    double cycles = 0;
    double readoutPaints = 0;
    double chartPaints = 0;
};

// One reading is two passes: the read, then the hand-off of that reading.
Run Readings(CMainDlg& window, PaintCounter& counter, int readings) {
    // Switching painting back on repaints the whole window once: not a reading's.
    QApplication::processEvents();
    counter.cycles = 0;
    counter.readoutPaints = 0;
    counter.chartPaints = 0;
    const double begin = ProcessSeconds();
    for (int pass = 0; pass < 2 * readings; ++pass) {
        window.StartSamplingPass();
        window.WaitForSamplingPass();
        QApplication::processEvents();
    }
    return {(ProcessSeconds() - begin) / readings, static_cast<double>(counter.cycles) / readings,
            static_cast<double>(counter.readoutPaints) / readings,
            static_cast<double>(counter.chartPaints) / readings};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CHART_LIBRARY [READINGS]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path chartLibrary = std::filesystem::absolute(argv[1]);
    const int readings = argc > 2 ? std::max(1, std::atoi(argv[2])) : 300;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvo-reading-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    std::filesystem::copy_file(chartLibrary, folder / chartLibrary.filename());
    std::filesystem::current_path(folder);
    setenv("KELVO_REGISTRY", (folder / "registry.ini").c_str(), 1);
    setenv("HOME", folder.c_str(), 1);

    QApplication application(argc, argv);
    dialog::UiThread::Attach();
    dialog::SetDialogColours(QColor(128, 255, 128), QColor(139, 0, 139));
    SetProcessHidPlatform(std::make_shared<SimulatedHidPlatform>(1));
    Run painted;
    Run unpainted;
    {
        CMainDlg window([](std::chrono::milliseconds) {});
        window.Initialise();
        window.show();
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
        }
        PaintCounter counter;
        counter.window = &window;
        counter.readout = window.GetDlgItem(mainwindow::innerReadoutId);
        application.installEventFilter(&counter);
        Readings(window, counter, 20); // the first points and rows, untimed
        // Taken in turn, so that a busy moment of the machine falls on both.
        std::vector<Run> withPaint;
        std::vector<Run> without;
        for (int round = 0; round < 3; ++round) {
            window.setUpdatesEnabled(true);
            withPaint.push_back(Readings(window, counter, readings));
            window.setUpdatesEnabled(false);
            without.push_back(Readings(window, counter, readings));
        }
        auto best = [](const std::vector<Run>& runs) {
            return *std::min_element(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
                return a.secondsPerReading < b.secondsPerReading;
            });
        };
        painted = best(withPaint);
        unpainted = best(without);
        application.removeEventFilter(&counter);
        window.setUpdatesEnabled(true);
        window.WaitForSamplingPass();
    }
    SetProcessHidPlatform(nullptr);
    dialog::UiThread::Shutdown();
    std::filesystem::current_path(folder.parent_path());
    std::filesystem::remove_all(folder);

    std::printf("\nreadings: %d a round, best of 3 rounds taken in turn; CPU of the whole process "
                "(user and system, worker included) per reading, on %s.\n"
                "ours: the main window shown, painting as it goes; peer: the same window and loop "
                "with its updates switched off, so that nothing is painted.\n",
                readings, qPrintable(QApplication::platformName()));
    char figure[128];
    std::printf("RESULT|CPU per reading, painted (ours / peer)|%s|unpainted loop: %s|%.2fx|-|-\n",
                kelvo::bench::Duration(painted.secondsPerReading).c_str(),
                kelvo::bench::Duration(unpainted.secondsPerReading).c_str(),
                unpainted.secondsPerReading > 0
                    ? painted.secondsPerReading / unpainted.secondsPerReading
                    : 0.0);
    // The two passes of a reading come a second apart: one cycle shows the
    // reading, one its point.
    std::snprintf(figure, sizeof figure, "%.2f window paint cycles (readout %.2f, chart %.2f)",
                  painted.cycles, painted.readoutPaints, painted.chartPaints);
    bench::PrintFigure("paints per reading", figure,
                       painted.cycles <= 2.0 && painted.readoutPaints <= 1.0 &&
                               painted.chartPaints <= 1.0
                           ? "<= 2 cycles, 1 each met"
                           : "<= 2 cycles, 1 each NOT MET");
    return 0;
}
