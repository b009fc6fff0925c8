// Our chart against a Qt Charts line chart: 327,671 labelled points, an
// 800 x 600 repaint offscreen, the cost of one more point, and memory a point.

#include "chart/ChartControl.h"
#include "chart/ChartRenderer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

using namespace kelvo;

constexpr int PointCount = 327671;
constexpr QSize Size(800, 600);

// The monitor's chart page: fixed left axis, one red fast line with time labels.
constexpr const char* Properties = "Title.Text.Strings=HID Kelvo\n"
                                   "LeftAxis.Automatic=0\nLeftAxis.Minimum=-40\n"
                                   "LeftAxis.Maximum=120\nLeftAxis.Increment=10\n"
                                   "View3D=0\nColor=8454016\nLegend.Gradient.Visible=1\n"
                                   "Series0.Class=PFastLineSeries\nSeries0.Title=temp\n"
                                   "Series0.SeriesColor=clRed\n";

double Reading(int i) {
    return 21.0 + 6 * std::sin(i * 0.001) + (i % 16) * 0.0625;
}

std::string TimeLabel(int i) {
    char label[9];
    std::snprintf(label, sizeof label, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
    return label;
}

struct OurChart {
    ComPointer<Dispatch> dispatch;
    ChartControl* chart = nullptr;
    double firstAppendNanoseconds = 0; // a point, over the first 10,000
    double lastAppendNanoseconds = 0;  // a point, over the last 10,000

    OurChart() {
        ChartControl::Create(Dispatch::InterfaceId, dispatch.OutPointer());
        chart = static_cast<ChartControl*>(dispatch.Get());
        chart->Load(Properties);
        using Clock = std::chrono::steady_clock;
        auto start = Clock::now();
        for (int i = 0; i < PointCount; ++i) {
            if (i == 10000)
                firstAppendNanoseconds =
                    std::chrono::duration<double, std::nano>(Clock::now() - start).count() / 10000;
            if (i == PointCount - 10000)
                start = Clock::now();
            chart->AddPoint(0, i, Reading(i), TimeLabel(i), nullptr);
        }
        lastAppendNanoseconds =
            std::chrono::duration<double, std::nano>(Clock::now() - start).count() / 10000;
    }
};

OurChart& Ours() {
    static OurChart chart;
    return chart;
}

struct PeerChart {
    QChart* chart = new QChart;
    QLineSeries* series = new QLineSeries;
    QChartView view{chart};

    PeerChart() {
        QList<QPointF> points;
        points.reserve(PointCount);
        for (int i = 0; i < PointCount; ++i)
            points.append(QPointF(i, Reading(i)));
        // replace() fills in bulk; append() one by one would take hours.
        series->replace(points);
        series->setColor(Qt::red);
        chart->addSeries(series);
        chart->setTitle("HID Kelvo");
        auto* left = new QValueAxis;
        left->setRange(-40, 120);
        left->setTickCount(17);
        auto* bottom = new QValueAxis;
        bottom->setRange(0, PointCount - 1);
        chart->addAxis(left, Qt::AlignLeft);
        chart->addAxis(bottom, Qt::AlignBottom);
        series->attachAxis(left);
        series->attachAxis(bottom);
        view.resize(Size);
    }
};

// Never destroyed: its widgets must not outlive the application object.
PeerChart& Peer() {
    static PeerChart* chart = new PeerChart;
    return *chart;
}

void OursRepaint(benchmark::State& state) {
    OurChart& ours = Ours();
    QImage image(Size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        ChartRenderer::Paint(painter, image.rect(), ours.chart->Model(), nullptr);
    }
}

void QtChartsRepaint(benchmark::State& state) {
    PeerChart& peer = Peer();
    QImage image(Size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        peer.view.render(&painter);
    }
}

// One more point on a full curve (the extra points are taken back afterwards
// only by the clear, which is not timed).
void OursAppend(benchmark::State& state) {
    OurChart& ours = Ours();
    int i = PointCount;
    for (auto _ : state)
        ours.chart->AddPoint(0, i, Reading(i), TimeLabel(i), nullptr), ++i;
}

void QtChartsAppend(benchmark::State& state) {
    PeerChart& peer = Peer();
    int i = PointCount;
    for (auto _ : state) {
        peer.series->append(i, Reading(i));
        ++i;
    }
    // Back to the same points for any later run.
    peer.series->removePoints(PointCount, i - PointCount);
}

BENCHMARK(OursRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(QtChartsRepaint)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(OursAppend)->Unit(benchmark::kMicrosecond)->Iterations(10000);
BENCHMARK(QtChartsAppend)->Unit(benchmark::kMicrosecond)->Iterations(5);

// Keeps each benchmark's real time, in seconds, for the ratios.
class Recorder : public benchmark::ConsoleReporter {
public:
    // Plain text: the figures are meant to be read in logs too.
    Recorder() : ConsoleReporter(OO_Tabular) {}

    // The real time of the benchmark whose name starts with this one.
    double Seconds(const std::string& name) const {
        const auto found = seconds.lower_bound(name);
        return found != seconds.end() && found->first.rfind(name, 0) == 0 ? found->second : 0;
    }

    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            seconds[run.benchmark_name()] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};

const char* Verdict(bool met) {
    return met ? "met" : "NOT MET";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    const OurChart& ours = Ours();
    Peer();
    // Before the append benchmarks add their points.
    const double bytes =
        static_cast<double>(ours.chart->Model().points[0].MemoryBytes()) / PointCount;
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);

    const double ourRepaint = recorder.Seconds("OursRepaint");
    const double peerRepaint = recorder.Seconds("QtChartsRepaint");
    const double ourAppend = recorder.Seconds("OursAppend");
    const double peerAppend = recorder.Seconds("QtChartsAppend");

    std::printf("\n%d points, %d x %d offscreen\n", PointCount, Size.width(), Size.height());
    std::printf("repaint: ours %.3f ms, Qt Charts %.2f ms, ratio %.0f x (goal >= 50 x: %s; "
                "ours < 2 ms: %s)\n",
                ourRepaint * 1e3, peerRepaint * 1e3, peerRepaint / ourRepaint,
                Verdict(peerRepaint / ourRepaint >= 50), Verdict(ourRepaint < 2e-3));
    std::printf("append at %d points: ours %.3f us, Qt Charts %.1f ms, ratio %.0f x\n", PointCount,
                ourAppend * 1e6, peerAppend * 1e3, peerAppend / ourAppend);
    std::printf("append cost, ours: first 10,000 points %.0f ns a point, last 10,000 %.0f ns a "
                "point (constant: %s)\n",
                ours.firstAppendNanoseconds, ours.lastAppendNanoseconds,
                Verdict(ours.lastAppendNanoseconds < 2 * ours.firstAppendNanoseconds));
    std::printf("memory, ours: %.1f bytes a point, label included (goal <= 32: %s)\n", bytes,
                Verdict(bytes <= 32));
    benchmark::Shutdown();
    return 0;
}
