// The table page against a plain QTableWidget: 32,768 rows added one by one,
// scrolled into view, offscreen, then one paint.

#include "monitor/core/RecordFile.h"
#include "monitor/core/SamplingRules.h"
#include "monitor/pages/CLogPage.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/UiThread.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <map>

namespace {

using namespace kelvo;
using Clock = std::chrono::steady_clock;

constexpr int rowCount = CLogPage::maximumRows;
const std::time_t start = 1300000000;

double Reading(int row) {
    return 21.0 + (row % 160) * 0.0625;
}

// The best fill time of each benchmark, in seconds.
std::map<std::string, double> bestSeconds;

void Keep(benchmark::State& state, const char* name, Clock::duration elapsed) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    state.SetIterationTime(seconds);
    auto [entry, added] = bestSeconds.try_emplace(name, seconds);
    entry->second = std::min(entry->second, seconds);
}

// scrollEachRow: the page's scroll runs after every row, as when rows come
// one by one from the sampling worker; otherwise once, after the burst.
void FillOurPage(benchmark::State& state, const char* name, bool scrollEachRow) {
    for (auto _ : state) {
        CLogPage page;
        page.Initialise();
        page.show();
        std::time_t now = start;
        page.SetClock([&now] { return now; });
        QApplication::processEvents();
        auto* list = page.Item<dialog::ListControl>(logpage::tableId);

        const auto begin = Clock::now();
        for (int number = 1; number <= rowCount; ++number) {
            now = start + number;
            page.AddRow(number, Reading(number), true);
            if (scrollEachRow) {
                list->scrollToBottom(); // what the page's queued scroll does
            }
        }
        QApplication::processEvents();
        Keep(state, name, Clock::now() - begin);
        if (list->GetItemCount() != rowCount) {
            state.SkipWithError("rows missing");
        }
    }
}

void OurPage(benchmark::State& state) {
    FillOurPage(state, "ours", false);
}

void OurPageScrollingEachRow(benchmark::State& state) {
    FillOurPage(state, "ours, scrolled each row", true);
}

// The same rows through QTableWidget, one item per cell, as its own examples
// fill a table; same columns, styles, size and scrolling as the page's list.
void PlainTableWidget(benchmark::State& state) {
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

        const auto begin = Clock::now();
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
            table.scrollToBottom();
        }
        QApplication::processEvents();
        Keep(state, "QTableWidget", Clock::now() - begin);
    }
}

BENCHMARK(OurPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(OurPageScrollingEachRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(PlainTableWidget)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    dialog::UiThread::Attach();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    const double peer = bestSeconds["QTableWidget"];
    std::printf("\n%d rows added one by one with scrolling, offscreen, best run; "
                "QTableWidget scrolls after each row\n",
                rowCount);
    for (const char* name : {"ours", "ours, scrolled each row"}) {
        const double ours = bestSeconds[name];
        std::printf("table page (%s) %.0f ms, QTableWidget %.0f ms, ratio %.1f x; "
                    "all rows in under 1 s: %s\n",
                    name, ours * 1e3, peer * 1e3, ours > 0 ? peer / ours : 0.0,
                    ours > 0 && ours < 1.0 ? "met" : "NOT MET");
    }
    benchmark::Shutdown();
    return 0;
}
