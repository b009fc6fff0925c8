// A day of reading at interval 1 on an injected clock: the timers' ticks are
// given one second apart, the thermometer is simulated, its pause is open, and
// every clock of the window (record rows, chart labels, table, reports) reads
// the same injected second. Checks that memory stays flat and that every
// record row is present and whole.
#include "monitor/core/MailConfigRow.h"
#include "monitor/core/RecordFile.h"
#include "monitor/pages/CLogPage.h"
#include "tests/app/MonitorWindowFixture.h"
#include "tests/mail/AiosmtpdServer.h"
#include "tests/support/UtcTimeZone.h"

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <sstream>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KELVO_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KELVO_SOAK_SANITIZED 1
#endif
#endif

#ifdef KELVO_SOAK_SANITIZED
// Both sanitizers' runtimes export it; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace kelvo {
namespace {

using namespace mainwindow;

// The sanitizers make every pass many times slower, so their builds soak
// fewer hours; the table's wrap and the chart's emptying are placed inside the
// run either way, so every build passes through both.
#ifdef KELVO_SOAK_SANITIZED
constexpr int soakHours = 2;
#else
constexpr int soakHours = 24;
#endif

constexpr std::time_t soakStart = 1700000000; // 2023-11-14 22:13:20 UTC
constexpr int saveItems = 3600;               // one record file an hour
constexpr int mailInterval = 10;              // minutes, one report per ten mail ticks
const char* const readings = "20,20.5,21,21.5";
const char* const readingTexts[] = {"20.00 C", "20.50 C", "21.00 C", "21.50 C"};

// Bytes the program holds on the heap now, whichever thread allocated them.
std::size_t HeapInUse() {
#ifdef KELVO_SOAK_SANITIZED
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

struct RecordLine {
    int number = 0;
    std::time_t time = 0;
    std::string inner;
    std::string outer;
};

// Reads "2023-11-14 22:13:22" as UTC.
std::optional<std::time_t> ParseUtc(const std::string& text) {
    std::tm parts{};
    char rest = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts.tm_year, &parts.tm_mon,
                    &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &rest) != 6) {
        return std::nullopt;
    }
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    return ::timegm(&parts);
}

// Every line of one record file; a failure for a line that is not whole.
std::vector<RecordLine> ParseRecordFile(const std::filesystem::path& path) {
    const std::string contents = testing::TemporaryDirectory::ReadFile(path);
    std::vector<RecordLine> lines;
    const std::string header = "NO,DateTime,Inner,Outer,\r\n";
    if (contents.rfind(header, 0) != 0) {
        ADD_FAILURE() << path << " does not start with the header";
        return lines;
    }
    std::size_t at = header.size();
    while (at < contents.size()) {
        const std::size_t end = contents.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << path << " ends in a partial line: " << contents.substr(at);
            break;
        }
        std::istringstream fields(contents.substr(at, end - at));
        std::string number;
        std::string time;
        RecordLine line;
        std::getline(fields, number, ',');
        std::getline(fields, time, ',');
        std::getline(fields, line.inner, ',');
        std::getline(fields, line.outer, ',');
        const std::optional<std::time_t> stamp = ParseUtc(time);
        if (!stamp || fields.peek() != EOF || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos) {
            ADD_FAILURE() << path << " holds a broken line: " << contents.substr(at, end - at);
            break;
        }
        line.number = std::stoi(number);
        line.time = *stamp;
        lines.push_back(line);
        at = end + 2;
    }
    return lines;
}

class SoakTest : public MonitorWindowFixture {
protected:
    // The window's own timers keep running but reach nothing: over a run of
    // real seconds they would give ticks of their own between the injected ones.
    void SilenceWindowTimers() {
        for (QTimer* timer : window->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly)) {
            timer->blockSignals(true);
        }
    }

    // One read tick and its pass. The pass ends in a call on this thread that
    // clears the busy mark, so waiting for events until then needs no polling;
    // the silenced timers still wake the wait each second for its deadline.
    void ReadTick() {
        window->OnTimer(readTimerId);
        const auto deadline = std::chrono::steady_clock::now() + HeldPause::deadline;
        while (window->samplingBusy) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the pass never ended";
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }

private:
    test::UtcTimeZone utc;
};

TEST_F(SoakTest, ADayOfReadingKeepsMemoryFlatAndEveryRecordRow) {
#ifndef KELVO_SOAK_SANITIZED
    // All threads on the one arena that mallinfo2 reports.
    ::mallopt(M_ARENA_MAX, 1);
#endif
    std::filesystem::create_directory(folder / "stored");
    // A loopback address of its own, so that the mail tests' servers on port 25
    // do not meet this one.
    test::AiosmtpdServer server(folder / "stored", "kelvo", "secret", "127.0.0.19", 25);
    ASSERT_EQ(server.Port(), 25) << "aiosmtpd did not come up on 127.0.0.19:25";

    MailConfigRows rows;
    rows.server[0] = "127.0.0.19";
    rows.sender[0] = "monitor@kelvo.test";
    rows.userName[0] = "kelvo";
    rows.password[0] = "secret";
    rows.recipients[0] = "ops@kelvo.test";
    rows.subjectPrefix[0] = "Soak";
    rows.interval[0] = mailInterval;
    rows.sending[0] = true;
    rows.periodic[0] = true;
    const auto records = folder / "records";
    WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSaveInterval=1\r\n"
                "SaveItems=" +
                std::to_string(saveItems) + "\r\nSaveFileDirectroy=" + records.string() +
                "\r\nEmailConfig1=" + FormatMailRow(rows, 0) + "\r\n");
    Start(1, readings);
    SilenceWindowTimers();

    std::atomic<std::time_t> now = soakStart;
    auto clock = [&now] { return now.load(); };
    window->recordClock = clock;
    window->curvePage.clock = clock;
    window->emailPage.reportClock = clock;
    window->logPage.SetClock(clock);

    const int ticks = soakHours * 3600;
    // Passes run from tick 2 on, reading at even ticks and handing on at odd ones.
    const int handOffs = (ticks - 1) / 2;
    const int warmUp = handOffs / 8;
    // The table wraps when its numbers pass 32,768 and the chart empties at
    // its point limit, a week away at this pace. Both numberings start far
    // enough on, and are set that far on again after the first wrap, for the
    // two to empty together twice in the run, each time after `cycle` rows.
    // Memory is compared warmUp hand-offs after each wrap: the same rows and
    // points on show, and the same largest table before, so that storage
    // kept for a refill (Qt keeps its header's) counts the same both times.
    const int cycle = (handOffs - warmUp - 2) / 2;
    auto startCycle = [this, cycle](int shown) {
        window->tableRowNumber = CLogPage::maximumRows - cycle + shown;
        window->curvePage.pointNumber = CCurvePage::lastPointNumber + 1 - cycle + shown;
    };
    startCycle(0);
    const int wraps[] = {cycle + 1, 2 * cycle + 1}; // the hand-offs that empty both
    const int samples[] = {2 * (wraps[0] + warmUp) + 1, 2 * (wraps[1] + warmUp) + 1};
    ASSERT_LE(samples[1], ticks);

    std::size_t heap[2] = {};
    int rowsAtSample[2] = {};
    int rowsAtWrap[2] = {};
    for (int tick = 1; tick <= ticks; ++tick) {
        now = soakStart + tick;
        ReadTick();
        window->OnTimer(recordTimerId);
        if (tick % 60 == 0) {
            // Ten minutes apart, no report is still under way when the next falls due.
            window->emailPage.WaitForReport();
            window->OnTimer(mailTimerId);
        }
        if (tick == 2 * wraps[0] + 1 || tick == 2 * wraps[1] + 1) {
            const int wrap = tick == 2 * wraps[0] + 1 ? 0 : 1;
            rowsAtWrap[wrap] = TableRows();
            EXPECT_EQ(TableCell(0, 0), "1");
            EXPECT_EQ(window->curvePage.pointNumber, 1) << "the chart emptied with the table";
            if (wrap == 0) {
                startCycle(1);
            }
        }
        for (int sample = 0; sample < 2; ++sample) {
            if (tick == samples[sample]) {
                // No report in flight holds memory of its own while the heap is read.
                window->emailPage.WaitForReport();
                QCoreApplication::processEvents(QEventLoop::AllEvents);
                heap[sample] = HeapInUse();
                rowsAtSample[sample] = TableRows();
            }
        }
    }
    window->emailPage.WaitForReport();
    EXPECT_EQ(rowsAtWrap[0], 1);
    EXPECT_EQ(rowsAtWrap[1], 1);
    EXPECT_EQ(rowsAtSample[0], warmUp + 1);
    EXPECT_EQ(rowsAtSample[1], warmUp + 1);

    // The simulated thermometer logs each command it is given, a byte each,
    // for the tests to read; anything that keeps a few bytes more per reading
    // fails this.
    const int readingsBetween = cycle;
    const double bytesPerReading =
        (static_cast<double>(heap[1]) - static_cast<double>(heap[0])) / readingsBetween;
    EXPECT_LT(bytesPerReading, 4.0) << "heap " << heap[0] << " then " << heap[1] << " bytes over "
                                    << readingsBetween << " readings";
    EXPECT_EQ(TableRows(), handOffs - wraps[1] + 1);

    // Every record row, one a second from the first reading on, in files of
    // saveItems rows named after their first row's time.
    std::map<std::time_t, std::vector<RecordLine>> files;
    for (const auto& entry : std::filesystem::directory_iterator(records)) {
        std::vector<RecordLine> lines = ParseRecordFile(entry.path());
        ASSERT_FALSE(lines.empty()) << entry.path();
        EXPECT_EQ(entry.path().filename().string(), MakeRecordFileName(lines.front().time));
        files[lines.front().time] = std::move(lines);
    }
    const int rowsWritten = ticks - 1;
    EXPECT_EQ(files.size(), static_cast<std::size_t>((rowsWritten + saveItems - 1) / saveItems));
    std::time_t expected = soakStart + 2;
    int rowsRead = 0;
    for (const auto& [start, lines] : files) {
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const RecordLine& line = lines[index];
            ASSERT_EQ(line.number, static_cast<int>(index) + 1) << "file " << start;
            ASSERT_EQ(line.time, expected) << "row " << line.number << " of file " << start;
            // The last reading before the row: one at each even second.
            const std::time_t tick = expected - soakStart;
            ASSERT_EQ(line.inner, readingTexts[(tick / 2 - 1) % 4]) << "at tick " << tick;
            ASSERT_EQ(line.outer, "0.00 C");
            ++expected;
            ++rowsRead;
        }
        if (start != files.rbegin()->first) {
            EXPECT_EQ(lines.size(), static_cast<std::size_t>(saveItems)) << "file " << start;
        }
    }
    EXPECT_EQ(rowsRead, rowsWritten);

    // One report per mailInterval mail ticks, every one delivered.
    const int reports = ticks / 60 / mailInterval;
    EXPECT_EQ(window->emailPage.attempts, reports);
    EXPECT_EQ(window->emailPage.successes, reports);
    const std::filesystem::directory_iterator stored(folder / "stored");
    EXPECT_EQ(std::distance(begin(stored), end(stored)), reports);
}

} // namespace
} // namespace kelvo
