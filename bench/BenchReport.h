#pragma once

// What every benchmark of ours prints: its own Google Benchmark table, then one
// line per comparison in a form scripts/bench gathers into a single table.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kelvo::bench {

// Seconds per iteration of each repetition of each benchmark, CPU and real.
class Recorder : public benchmark::ConsoleReporter {
public:
    // Plain text: the figures are meant to be read in logs too.
    Recorder() : ConsoleReporter(OO_Tabular) {}

    struct Times {
        std::vector<double> cpu;
        std::vector<double> real;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            Times& times = times_[run.run_name.function_name];
            times.cpu.push_back(run.GetAdjustedCPUTime() / unit);
            times.real.push_back(run.GetAdjustedRealTime() / unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // CPU seconds per iteration: the machine is shared, and CPU time is what
    // other processes disturb least. Zero for a benchmark that did not run.
    double MinimumCpu(const std::string& name) const { return Minimum(Of(name).cpu); }
    double MedianCpu(const std::string& name) const { return Median(Of(name).cpu); }
    double MinimumReal(const std::string& name) const { return Minimum(Of(name).real); }
    double MedianReal(const std::string& name) const { return Median(Of(name).real); }

    static double Minimum(const std::vector<double>& values) {
        return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
    }
    static double Median(std::vector<double> values) {
        if (values.empty()) {
            return 0;
        }
        std::sort(values.begin(), values.end());
        const std::size_t middle = values.size() / 2;
        return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    }

private:
    const Times& Of(const std::string& name) const {
        static const Times none;
        const auto found = times_.find(name);
        return found == times_.end() ? none : found->second;
    }

    std::map<std::string, Times> times_;
};

// One comparison, as scripts/bench reads it: a line starting "RESULT|".
// Times are seconds; the ratio is the peer's time over ours (above 1: we are
// faster) from the minima, with the ratio of the medians beside it. A goal of
// 0 means the line only informs.
struct Comparison {
    std::string what;
    std::string peer;
    double oursMinimum = 0;
    double oursMedian = 0;
    double peerMinimum = 0;
    double peerMedian = 0;
    double goal = 0;
};

inline std::string Duration(double seconds) {
    char text[32];
    if (seconds >= 1) {
        std::snprintf(text, sizeof text, "%.2f s", seconds);
    } else if (seconds >= 1e-3) {
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    }
    return text;
}

inline double Ratio(double peer, double ours) {
    return ours > 0 ? peer / ours : 0;
}

inline void PrintComparison(const Comparison& comparison) {
    const double ratio = Ratio(comparison.peerMinimum, comparison.oursMinimum);
    const double medianRatio = Ratio(comparison.peerMedian, comparison.oursMedian);
    char goal[64] = "-";
    if (comparison.goal > 0) {
        std::snprintf(goal, sizeof goal, ">= %gx %s", comparison.goal,
                      ratio >= comparison.goal ? "met" : "NOT MET");
    }
    std::printf("RESULT|%s|%s / %s|%s: %s / %s|%.2fx|%.2fx|%s\n", comparison.what.c_str(),
                Duration(comparison.oursMinimum).c_str(), Duration(comparison.oursMedian).c_str(),
                comparison.peer.c_str(), Duration(comparison.peerMinimum).c_str(),
                Duration(comparison.peerMedian).c_str(), ratio, medianRatio, goal);
}

// A line that informs without a peer, in the same table.
inline void PrintFigure(const std::string& what, const std::string& figure,
                        const std::string& verdict = "-") {
    std::printf("RESULT|%s|%s|-|-|-|%s\n", what.c_str(), figure.c_str(), verdict.c_str());
}

} // namespace kelvo::bench
