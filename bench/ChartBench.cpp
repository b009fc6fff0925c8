// Our chart against a Qt Charts line chart, both shown and laid out at
// 800 x 600 with 327,671 labelled points: a repaint, one more point, and one
// more point followed by a repaint; and our memory a point.

#include "bench/BenchReport.h"
#include "chart/ChartControl.h"
#include "chart/ChartRenderer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

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

// Lets the window system and the layouts settle, as they do before a user
// first sees a window.
void Settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
}

QImage Blank() {
    QImage image(Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    return image;
}

// What a user sees of the widget: it and its children, painted through their
// own paint events.
QImage Render(QWidget& widget) {
    QImage image = Blank();
    widget.render(&image);
    return image;
}

// The columns of the image in which the red line shows.
int RedColumns(const QImage& image) {
    int columns = 0;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.red() > 200 && colour.green() < 80 && colour.blue() < 80) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

struct OurChart {
    QWidget site;
    ComPointer<Dispatch> dispatch;
    ChartControl* chart = nullptr;
    double firstAppendNanoseconds = 0; // a point, over the first 10,000
    double lastAppendNanoseconds = 0;  // a point, over the last 10,000

    OurChart() {
        ChartControl::Create(Dispatch::InterfaceId, dispatch.OutPointer());
        chart = static_cast<ChartControl*>(dispatch.Get());
        chart->Load(Properties);
        site.resize(Size);
        site.show();
        chart->Attach(&site);
        using Clock = std::chrono::steady_clock;
        auto start = Clock::now();
        for (int i = 0; i < PointCount; ++i) {
            if (i == 10000) {
                firstAppendNanoseconds =
                    std::chrono::duration<double, std::nano>(Clock::now() - start).count() / 10000;
            }
            if (i == PointCount - 10000) {
                start = Clock::now();
            }
            chart->AddPoint(0, i, Reading(i), TimeLabel(i), nullptr);
        }
        lastAppendNanoseconds =
            std::chrono::duration<double, std::nano>(Clock::now() - start).count() / 10000;
        Settle();
    }

    // Back to the first PointCount points after a benchmark that added more.
    void Trim() {
        if (chart->Model().points[0].Count() == PointCount) {
            return;
        }
        chart->ClearSeries(0);
        for (int i = 0; i < PointCount; ++i) {
            chart->AddPoint(0, i, Reading(i), TimeLabel(i), nullptr);
        }
        Settle();
    }
};

OurChart& Ours() {
    static OurChart* chart = new OurChart;
    return *chart;
}

struct PeerChart {
    QChart* chart = new QChart;
    QLineSeries* series = new QLineSeries;
    QValueAxis* left = new QValueAxis;
    QValueAxis* bottom = new QValueAxis;
    QChartView view{chart};

    PeerChart() {
        QList<QPointF> points;
        points.reserve(PointCount);
        for (int i = 0; i < PointCount; ++i) {
            points.append(QPointF(i, Reading(i)));
        }
        // replace() fills in bulk; append() one by one would take hours.
        series->replace(points);
        series->setColor(Qt::red);
        series->setName("temp");
        chart->addSeries(series);
        chart->setTitle("HID Kelvo");
        left->setRange(-40, 120);
        left->setTickCount(17);
        bottom->setRange(0, PointCount - 1);
        chart->addAxis(left, Qt::AlignLeft);
        chart->addAxis(bottom, Qt::AlignBottom);
        series->attachAxis(left);
        series->attachAxis(bottom);
        view.resize(Size);
        view.show();
        // The chart takes the view's size only once the view has been shown
        // and its layout has run.
        QElapsedTimer waited;
        waited.start();
        while (chart->plotArea().width() < Size.width() / 2 && waited.elapsed() < 5000) {
            QApplication::processEvents();
        }
        Settle();
    }

    void Trim() {
        if (series->count() > PointCount) {
            series->removePoints(PointCount, series->count() - PointCount);
            bottom->setMax(PointCount - 1);
        }
    }
};

// Never destroyed: its widgets must not outlive the application object.
PeerChart& Peer() {
    static PeerChart* chart = new PeerChart;
    return *chart;
}

void OursRepaint(benchmark::State& state) {
    OurChart& ours = Ours();
    QImage image = Blank();
    for (auto _ : state) {
        ours.chart->Widget()->render(&image);
    }
}

// Everything drawn from scratch, as an export does: what the repaint would
// cost without the layers and columns it keeps.
void OursFullRedraw(benchmark::State& state) {
    OurChart& ours = Ours();
    QImage image = Blank();
    for (auto _ : state) {
        QPainter painter(&image);
        ChartRenderer::Paint(painter, image.rect(), ours.chart->Model(), nullptr);
    }
}

void QtChartsRepaint(benchmark::State& state) {
    PeerChart& peer = Peer();
    QImage image = Blank();
    for (auto _ : state) {
        static_cast<QWidget&>(peer.view).render(&image);
    }
}

// One more point on a full curve.
void OursAppend(benchmark::State& state) {
    OurChart& ours = Ours();
    int i = PointCount;
    for (auto _ : state) {
        ours.chart->AddPoint(0, i, Reading(i), TimeLabel(i), nullptr);
        ++i;
    }
    ours.Trim();
}

void QtChartsAppend(benchmark::State& state) {
    PeerChart& peer = Peer();
    int i = PointCount;
    for (auto _ : state) {
        peer.series->append(i, Reading(i));
        ++i;
    }
    peer.Trim();
}

// A reading as the user sees it arrive: one more point, then the frame.
void OursAppendRepaint(benchmark::State& state) {
    OurChart& ours = Ours();
    QImage image = Blank();
    int i = PointCount;
    for (auto _ : state) {
        ours.chart->AddPoint(0, i, Reading(i), TimeLabel(i), nullptr);
        ours.chart->Widget()->render(&image);
        ++i;
    }
    ours.Trim();
}

// Our bottom axis follows the points by itself; the peer's is widened to the
// new point, so that both show it.
void QtChartsAppendRepaint(benchmark::State& state) {
    PeerChart& peer = Peer();
    QImage image = Blank();
    int i = PointCount;
    for (auto _ : state) {
        peer.series->append(i, Reading(i));
        peer.bottom->setMax(i);
        static_cast<QWidget&>(peer.view).render(&image);
        ++i;
    }
    peer.Trim();
}

constexpr int Repetitions = 5;

BENCHMARK(OursRepaint)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
BENCHMARK(OursFullRedraw)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
BENCHMARK(QtChartsRepaint)->Unit(benchmark::kMillisecond)->Repetitions(Repetitions);
BENCHMARK(OursAppend)->Unit(benchmark::kMicrosecond)->Iterations(10000)->Repetitions(Repetitions);
BENCHMARK(QtChartsAppend)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3);
BENCHMARK(OursAppendRepaint)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(500)
    ->Repetitions(Repetitions);
BENCHMARK(QtChartsAppendRepaint)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3);

// Saves an image where KELVO_BENCH_IMAGES names a folder, for a look.
void Save(const QImage& image, const char* name) {
    const char* folder = std::getenv("KELVO_BENCH_IMAGES");
    if (folder && *folder) {
        image.save(QString::fromUtf8(folder) + "/" + name);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    OurChart& ours = Ours();
    PeerChart& peer = Peer();

    // A comparison means something only when both sides draw the whole chart.
    const QImage ourImage = Render(*ours.chart->Widget());
    const QImage peerImage = Render(peer.view);
    Save(ourImage, "chart-ours.png");
    Save(peerImage, "chart-qtcharts.png");
    const QRectF plot = peer.chart->plotArea();
    const int ourColumns = RedColumns(ourImage);
    const int peerColumns = RedColumns(peerImage);
    std::printf("ours: %d columns of the curve drawn; Qt Charts: plot area %.0f x %.0f, %d columns "
                "of the curve drawn\n",
                ourColumns, plot.width(), plot.height(), peerColumns);
    if (ourColumns < Size.width() / 2 || peerColumns < Size.width() / 2) {
        std::printf("a chart does not show its curve across the plot: no comparison\n");
        return 1;
    }

    // Before the append benchmarks add their points.
    const double bytes =
        static_cast<double>(ours.chart->Model().points[0].MemoryBytes()) / PointCount;
    bench::Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);

    std::printf(
        "\n%d points, both widgets shown and laid out at %d x %d (%s), each painted through its "
        "own paint events by QWidget::render into an ARGB32 image; CPU time, minimum / median "
        "of the repetitions.\n"
        "ours: our chart control: title, gradient legend, fixed left axis -40..120 by 10 with "
        "grid, automatic bottom axis labelled with the points' times, one red fast line; a "
        "repaint draws its kept static layers and the line from kept per-column extremes.\n"
        "Qt Charts: QChartView: title, legend, QValueAxis -40..120 with 17 ticks and grid, "
        "QValueAxis 0..%d, one red QLineSeries (no OpenGL, no antialiasing, as ours); before an "
        "append-then-repaint the bottom axis is widened to the new point, which ours does by "
        "itself.\n",
        PointCount, Size.width(), Size.height(), qPrintable(QApplication::platformName()),
        PointCount - 1);
    auto compare = [&recorder](const char* what, const char* ours, const char* peer, double goal) {
        bench::PrintComparison({what, "Qt Charts", recorder.MinimumCpu(ours),
                                recorder.MedianCpu(ours), recorder.MinimumCpu(peer),
                                recorder.MedianCpu(peer), goal});
    };
    compare("chart repaint, 327,671 points", "OursRepaint", "QtChartsRepaint", 60);
    compare("chart append one point", "OursAppend", "QtChartsAppend", 0);
    compare("chart append + repaint", "OursAppendRepaint", "QtChartsAppendRepaint", 0);
    compare("chart full redraw (no kept layers)", "OursFullRedraw", "QtChartsRepaint", 0);
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.1f bytes a point", bytes);
    bench::PrintFigure("chart memory, labels included", figure,
                       bytes <= 32 ? "<= 32 met" : "<= 32 NOT MET");
    std::snprintf(figure, sizeof figure, "first 10,000: %.0f ns, last 10,000: %.0f ns a point",
                  ours.firstAppendNanoseconds, ours.lastAppendNanoseconds);
    bench::PrintFigure("chart append cost as the curve fills", figure,
                       ours.lastAppendNanoseconds < 2 * ours.firstAppendNanoseconds
                           ? "constant met"
                           : "constant NOT MET");
    benchmark::Shutdown();
    return 0;
}
