// The table page against a plain QTableWidget: 32,768 rows added one by one,
// offscreen, then one paint, under each scrolling policy on both sides: a
// scroll to the last row after every row, and one scroll per burst of rows.

#include "bench/BenchReport.h"
#include "monitor/core/RecordFile.h"
#include "monitor/core/SamplingRules.h"
#include "monitor/pages/CLogPage.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/UiThread.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QMetaObject>
#include <QTableWidget>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using namespace kelvo;
using Clock = std::chrono::steady_clock;

constexpr int rowCount = CLogPage::maximumRows;
const std::time_t start = 1300000000;

double Reading(int row) {
    return 21.0 + (row % 160) * 0.0625;
}

// The CPU time of this thread: the rows, the scrolls and the paint all run
// on it, and other processes on a shared machine disturb it least.
Clock::duration ThreadTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void Keep(benchmark::State& state, Clock::duration elapsed) {
    state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
}

// scrollEachRow: the list scrolls after every row, as a plain table does;
// otherwise the page's own scroll runs once, after the burst.
void FillOurPage(benchmark::State& state, bool scrollEachRow) {
    for (auto _ : state) {
        CLogPage page;
        page.Initialise();
        page.show();
        std::time_t now = start;
        page.SetClock([&now] { return now; });
        QApplication::processEvents();
        auto* list = page.Item<dialog::ListControl>(logpage::tableId);

        const auto begin = ThreadTime();
        for (int number = 1; number <= rowCount; ++number) {
            now = start + number;
            page.AddRow(number, Reading(number), true);
            if (scrollEachRow) {
                list->scrollToBottom();
            }
        }
        QApplication::processEvents();
        Keep(state, ThreadTime() - begin);
        if (list->GetItemCount() != rowCount) {
            state.SkipWithError("rows missing");
        }
    }
}

// The same rows through QTableWidget, one item per cell, as its own examples
// fill a table; same columns, styles and size as the page's list. Once per
// burst it scrolls as the page does: one queued scroll for all rows added
// before the event loop turns.
void FillTableWidget(benchmark::State& state, bool scrollEachRow) {
    for (auto _ : state) {
        CLogPage page; // only for the list's size
        page.Initialise();
        QTableWidget table(0, 3);
        table.setHorizontalHeaderLabels({"NO", "DateTime", "Temp"});
        const int widths[] = {100, 180, 130};
        for (int column = 0; column < 3; ++column) {
            table.setColumnWidth(column, widths[column]);
        }
        table.verticalHeader()->hide();
        table.setShowGrid(true);
        table.setSelectionBehavior(QAbstractItemView::SelectRows);
        table.setSelectionMode(QAbstractItemView::SingleSelection);
        table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        table.resize(page.GetDlgItem(logpage::tableId)->size());
        table.show();
        QApplication::processEvents();
        bool scrollPending = false;

        const auto begin = ThreadTime();
        for (int number = 1; number <= rowCount; ++number) {
            const int row = number - 1;
            table.insertRow(row);
            table.setItem(row, 0, new QTableWidgetItem(QString::number(number)));
            table.item(row, 0)->setTextAlignment(Qt::AlignCenter);
            table.setItem(
                row, 1,
                new QTableWidgetItem(QString::fromStdString(FormatLocalDateTime(start + number))));
            table.setItem(row, 2,
                          new QTableWidgetItem(
                              QString::fromStdString(FormatTemperature(Reading(number), true))));
            if (scrollEachRow) {
                table.scrollToBottom();
            } else if (!scrollPending) {
                scrollPending = true;
                QMetaObject::invokeMethod(
                    &table,
                    [&] {
                        scrollPending = false;
                        table.scrollToBottom();
                    },
                    Qt::QueuedConnection);
            }
        }
        QApplication::processEvents();
        Keep(state, ThreadTime() - begin);
    }
}

void OurPageEachRow(benchmark::State& state) {
    FillOurPage(state, true);
}
void TableWidgetEachRow(benchmark::State& state) {
    FillTableWidget(state, true);
}
void OurPageOncePerBurst(benchmark::State& state) {
    FillOurPage(state, false);
}
void TableWidgetOncePerBurst(benchmark::State& state) {
    FillTableWidget(state, false);
}

constexpr int Repetitions = 3;

BENCHMARK(OurPageEachRow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(Repetitions);
BENCHMARK(TableWidgetEachRow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(Repetitions);
BENCHMARK(OurPageOncePerBurst)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(Repetitions);
BENCHMARK(TableWidgetOncePerBurst)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(Repetitions);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    dialog::UiThread::Attach();
    benchmark::Initialize(&argc, argv);
    bench::Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);

    std::printf(
        "\n%d rows added one by one, offscreen, then the event loop turns once; CPU time "
        "of the fill, minimum / median of %d runs.\n"
        "ours: the table page's list (a model and a view); QTableWidget: one item per cell, "
        "same columns, styles and size. Each row: both scroll to the last row after every "
        "row. Once per burst: both queue one scroll for all rows added before the event "
        "loop turns (the page's own policy).\n",
        rowCount, Repetitions);
    // Times come back as the manual (CPU) time of the fill.
    auto compare = [&recorder](const char* what, const char* ours, const char* peer) {
        bench::PrintComparison({what, "QTableWidget", recorder.MinimumReal(ours),
                                recorder.MedianReal(ours), recorder.MinimumReal(peer),
                                recorder.MedianReal(peer), 0});
    };
    compare("table, 32,768 rows, scroll each row", "OurPageEachRow", "TableWidgetEachRow");
    compare("table, 32,768 rows, scroll once a burst", "OurPageOncePerBurst",
            "TableWidgetOncePerBurst");
    const double ours = recorder.MinimumReal("OurPageOncePerBurst");
    bench::PrintFigure("table page, all rows as it scrolls them", bench::Duration(ours),
                       ours > 0 && ours < 1.0 ? "< 1 s met" : "< 1 s NOT MET");
    benchmark::Shutdown();
    return 0;
}
