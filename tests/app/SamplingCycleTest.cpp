#include "tests/app/MonitorWindowFixture.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>

#include <sstream>

namespace kelvo {
namespace {

using namespace mainwindow;

class SamplingCycleTest : public MonitorWindowFixture {
protected:
    // The rows of the one record file in a folder, as row number and inner
    // reading ("1,21.50 C"), without the header.
    static std::vector<std::string> RecordRows(const std::filesystem::path& records) {
        std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(records), {});
        EXPECT_EQ(files.size(), 1U);
        if (files.size() != 1) {
            return {};
        }
        std::vector<std::string> rows;
        std::istringstream contents(testing::TemporaryDirectory::ReadFile(files.front()));
        std::string line;
        std::getline(contents, line); // the header
        while (std::getline(contents, line)) {
            const auto date = line.find(',');
            const auto inner = line.find(',', date + 1);
            rows.push_back(line.substr(0, date) + "," +
                           line.substr(inner + 1, line.find(',', inner + 1) - inner - 1));
        }
        return rows;
    }
};

TEST_F(SamplingCycleTest, IntervalFivePassesAtSixElevenAndSixteen) {
    WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\n");
    Start(1, "20,30,40");
    ASSERT_EQ(window->readInterval, 5) << "an absent key gives an interval of 5";
    std::vector<int> readingsAfterTick;
    std::vector<int> rowsAfterTick;
    for (int tick = 1; tick <= 16; ++tick) {
        Tick(readTimerId);
        readingsAfterTick.push_back(Readings());
        rowsAfterTick.push_back(TableRows());
    }
    EXPECT_EQ(readingsAfterTick[4], 0);
    EXPECT_EQ(readingsAfterTick[5], 1) << "the first pass, at second 6, reads";
    EXPECT_EQ(readingsAfterTick[10], 1) << "the second pass, at second 11, hands on";
    EXPECT_EQ(readingsAfterTick[15], 2) << "the third pass, at second 16, reads again";
    EXPECT_EQ(rowsAfterTick[9], 0);
    EXPECT_EQ(rowsAfterTick[10], 1) << "the first table row comes at second 11";
    EXPECT_EQ(TableCell(0, 2), "20.00 C");
    EXPECT_EQ(Text(innerReadoutId), "30.00 C");
}

TEST_F(SamplingCycleTest, TableNumbersWrapAfter32768AndTheTableEmpties) {
    WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\n");
    Start(1, "20");
    for (int tick = 1; tick <= 3; ++tick) {
        Tick(readTimerId);
    }
    ASSERT_EQ(TableRows(), 1);
    window->tableRowNumber = 32768;
    Tick(readTimerId);
    Tick(readTimerId);
    EXPECT_EQ(window->tableRowNumber, 1);
    ASSERT_EQ(TableRows(), 1);
    EXPECT_EQ(TableCell(0, 0), "1");
}

TEST_F(SamplingCycleTest, RecordTickWritesTheReadingOnceOneExistsAndOnlyWhileRecording) {
    const auto records = folder / "records";
    WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSaveInterval=1\r\n"
                "SaveFileDirectroy=" +
                records.string() + "\r\n");
    Start(1, "21.5");
    window->recordClock = [] { return std::time_t{1700000000}; };
    Tick(recordTimerId);
    Tick(recordTimerId);
    EXPECT_FALSE(std::filesystem::exists(records)) << "nothing is written before a reading";
    Tick(readTimerId);
    Tick(readTimerId);
    Tick(recordTimerId);
    ASSERT_TRUE(std::filesystem::exists(records));
    std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(records), {});
    ASSERT_EQ(files.size(), 1U);
    const std::string contents = testing::TemporaryDirectory::ReadFile(files.front());
    EXPECT_EQ(contents.substr(0, contents.find("\r\n")), "NO,DateTime,Inner,Outer,");
    EXPECT_NE(contents.find(",21.50 C,0.00 C\r\n"), std::string::npos) << contents;

    window->logPage.Item<QAbstractButton>(logpage::fileStopId)->click();
    Tick(recordTimerId);
    Tick(recordTimerId);
    EXPECT_EQ(RecordRows(records), std::vector<std::string>{"1,21.50 C"}) << "Stop writes nothing";
    window->logPage.Item<QAbstractButton>(logpage::fileRecordingId)->click();
    Tick(recordTimerId);
    EXPECT_EQ(RecordRows(records), (std::vector<std::string>{"1,21.50 C", "2,21.50 C"}));
}

TEST_F(SamplingCycleTest, SkippedSamplesLetReadingGoOnAndReachNothing) {
    struct Case {
        const char* readings; // a temperature, a skipped sample, a temperature
        const char* readoutWhileSkipped;
        const char* minimum;
        std::vector<std::string> recordRows; // number and inner column
        std::vector<std::string> tableReadings;
    };
    const Case cases[] = {
        {"5,0,7",
         "5.00 C",
         "Min Temp:5.00",
         {"1,5.00 C", "2,5.00 C", "3,7.00 C", "4,7.00 C"},
         {"5.00 C", "7.00 C"}},
        {"20,err,30",
         "sensor maybe error",
         "Min Temp:20.00",
         {"1,20.00 C", "2,20.00 C", "3,30.00 C", "4,30.00 C"},
         {"20.00 C", "30.00 C"}},
    };
    int number = 0;
    for (const Case& example : cases) {
        SCOPED_TRACE(example.readings);
        const auto records = folder / ("records" + std::to_string(++number));
        // A periodic mail row due every tick, with no server: a report that
        // falls due counts as a failed attempt at once.
        WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSaveInterval=1\r\n"
                    "EmailConfig1=|^||^||^||^||^|1|^|1|^|1|^|0.00|^|0.00|^||^|\r\n"
                    "SaveFileDirectroy=" +
                    records.string() + "\r\n");
        Start(1, example.readings);
        window->recordClock = [] { return std::time_t{1700000000}; };
        // Each second the read tick, then the record tick, as the timers give them.
        auto second = [this] {
            Tick(readTimerId);
            Tick(recordTimerId);
        };
        for (int tick = 1; tick <= 3; ++tick) {
            second(); // reads the first value at 2, hands it on at 3
        }
        second(); // the skipped sample
        EXPECT_EQ(Text(innerReadoutId), example.readoutWhileSkipped);
        EXPECT_FALSE(window->HasInnerTemperature());
        EXPECT_EQ(window->recordRowNumber, 2) << "no row for the skipped sample";
        EXPECT_TRUE(window->IsDlgButtonChecked(readingId));
        EXPECT_TRUE(window->IsTimerRunning(readTimerId));
        EXPECT_FALSE(window->deviceMissing);
        EXPECT_TRUE(messages.empty());
        Tick(mailTimerId);
        EXPECT_EQ(window->emailPage.attempts, 0) << "no mail for the skipped sample";
        second(); // reads the third value at once
        Tick(mailTimerId);
        EXPECT_EQ(window->emailPage.attempts, 1);
        second(); // hands it on
        EXPECT_EQ(RecordRows(records), example.recordRows);
        ASSERT_EQ(TableRows(), 2);
        EXPECT_EQ(TableCell(0, 2), example.tableReadings[0]);
        EXPECT_EQ(TableCell(1, 2), example.tableReadings[1]);
        EXPECT_EQ(Text(innerMinId), example.minimum);
        EXPECT_EQ(window->curvePage.pointNumber, 2);
    }
}

TEST_F(SamplingCycleTest, IntervalOneReadsEveryOtherSecond) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "21");
    for (int tick = 1; tick <= 7; ++tick) {
        Tick(readTimerId);
    }
    // Passes at ticks 2..7; reads at 2, 4 and 6.
    EXPECT_EQ(Readings(), 3);
}

TEST_F(SamplingCycleTest, StatisticsAndAlternatingColoursOverThreeReadings) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20,30,40");
    EXPECT_EQ(window->innerTextColour, (Colour{0, 0, 0})) << "black before the first reading";
    std::vector<Colour> colours;
    for (int tick = 1; tick <= 6; ++tick) {
        Tick(readTimerId);
        if (tick % 2 == 0) {
            colours.push_back(window->innerTextColour);
        }
    }
    EXPECT_EQ(Text(innerReadoutId), "40.00 C");
    EXPECT_EQ(Text(innerMaxId), "Max Temp:40.00");
    EXPECT_EQ(Text(innerMinId), "Min Temp:20.00");
    EXPECT_EQ(Text(innerAvgId), "Avg Temp:32.50");
    const Colour red{255, 0, 0};
    const Colour blue{0, 0, 255};
    EXPECT_EQ(colours, (std::vector<Colour>{red, blue, red}));
}

// Paint cycles of the window (each paints what is due and shows it) and paints
// of the readout.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget* window, QWidget* readout) : window_(window), readout_(readout) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }

    int cycles = 0;
    int readoutPaints = 0;

    bool eventFilter(QObject* object, QEvent* event) override {
        cycles += object == window_ && event->type() == QEvent::UpdateRequest ? 1 : 0;
        readoutPaints += object == readout_ && event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    QWidget* window_;
    QWidget* readout_;
};

TEST_F(SamplingCycleTest, AReadingIsShownInOnePaintOfTheWindow) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20,30,40");
    window->show();
    Tick(readTimerId); // the count's first tick is not due
    QCoreApplication::processEvents();
    PaintCounter counter(window.get(), window->GetDlgItem(innerReadoutId));
    for (int reading = 1; reading <= 3; ++reading) {
        SCOPED_TRACE(reading);
        counter.cycles = 0;
        counter.readoutPaints = 0;
        Tick(readTimerId); // readout, colour and statistics
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.cycles, 1);
        EXPECT_EQ(counter.readoutPaints, 1);
        Tick(readTimerId); // the hand-off to the chart and the table
        QCoreApplication::processEvents();
        EXPECT_LE(counter.cycles, 2);
    }
}

TEST_F(SamplingCycleTest, FahrenheitWithCalibration) {
    WriteConfig("[ConfigInfo]\r\nUnit=F\r\nReadInterval=1\r\n");
    Start(1, "25");
    window->innerCalibration = 1.0;
    Tick(readTimerId);
    Tick(readTimerId);
    EXPECT_EQ(Text(innerReadoutId), "78.00 F");
}

TEST_F(SamplingCycleTest, SensorErrorKeepsStatisticsAndReadsAgainNextPass) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20,err,30");
    Tick(readTimerId);
    Tick(readTimerId); // reads 20
    const auto* readout = window->Item<QLabel>(innerReadoutId);
    const QFont readingFont = readout->font();
    Tick(readTimerId); // hands 20 on
    Tick(readTimerId); // reads the sensor error
    EXPECT_EQ(Text(innerReadoutId), "sensor maybe error");
    EXPECT_LE(QFontMetrics(readout->font()).horizontalAdvance(readout->text()), readout->width())
        << "the message is shown whole";
    EXPECT_EQ(Text(innerMaxId), "Max Temp:20.00");
    EXPECT_DOUBLE_EQ(window->innerCurrent, 20.0) << "the stand-in is not kept as a reading";
    EXPECT_TRUE(window->readPhase);
    Tick(readTimerId); // reads again at once
    EXPECT_EQ(Text(innerReadoutId), "30.00 C");
    EXPECT_EQ(readout->font(), readingFont) << "readings keep their size";
    EXPECT_EQ(Text(innerMaxId), "Max Temp:30.00");
    EXPECT_EQ(Text(innerAvgId), "Avg Temp:25.00");
}

TEST_F(SamplingCycleTest, UnpluggedDuringReadingWaitsThenResumesByItself) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20");
    Tick(readTimerId);
    Tick(readTimerId);
    ASSERT_EQ(Text(innerReadoutId), "20.00 C");
    platform->Unplug(0);
    Tick(readTimerId);
    Tick(readTimerId);
    EXPECT_EQ(Text(innerReadoutId), "Watting");
    EXPECT_EQ(Text(outerReadoutId), "Watting");
    EXPECT_TRUE(window->IsDlgButtonChecked(stopId));
    EXPECT_FALSE(window->IsDlgButtonChecked(readingId));
    EXPECT_FALSE(window->IsDlgItemEnabled(readingId));
    EXPECT_FALSE(window->IsDlgItemEnabled(stopId));
    EXPECT_FALSE(window->IsTimerRunning(readTimerId));
    EXPECT_FALSE(window->IsTimerRunning(recordTimerId));
    EXPECT_TRUE(window->deviceMissing);

    Tick(retryTimerId);
    EXPECT_TRUE(window->deviceMissing) << "still unplugged";
    platform->Replug(0);
    Tick(retryTimerId);
    EXPECT_FALSE(window->deviceMissing);
    EXPECT_TRUE(window->IsDlgButtonChecked(readingId));
    EXPECT_TRUE(window->IsDlgItemEnabled(readingId));
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
    EXPECT_TRUE(window->innerPending) << "statistics start again";
    for (int tick = 0; tick < 2; ++tick) {
        Tick(readTimerId);
    }
    EXPECT_EQ(Text(innerReadoutId), "20.00 C");
}

TEST_F(SamplingCycleTest, ADueTickThatFindsAPassRunningIsLost) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20");
    pause.Hold();
    window->OnTimer(readTimerId);
    window->OnTimer(readTimerId); // due: a pass starts and waits in the device exchange
    ASSERT_TRUE(pause.WaitUntilReached());
    ASSERT_TRUE(window->samplingBusy);
    window->OnTimer(readTimerId); // due as well, but lost
    EXPECT_EQ(window->readTicks, 1);
    pause.Release();
    window->WaitForSamplingPass();
    EXPECT_FALSE(window->samplingBusy);
    EXPECT_EQ(Readings(), 1);
}

TEST_F(SamplingCycleTest, NoThermometerAndReadingClickedFailsTheFirstPass) {
    Start(0);
    window->readInterval = 1;
    window->CheckDlgButton(readingId, true);
    window->OnReading();
    Tick(readTimerId);
    Tick(readTimerId);
    EXPECT_EQ(Text(innerReadoutId), "Watting");
    EXPECT_TRUE(window->IsDlgButtonChecked(stopId));
    EXPECT_FALSE(window->IsDlgItemEnabled(readingId));
}

TEST_F(SamplingCycleTest, MailTimerStartsAndStopsOnce) {
    Start(1);
    window->StartMailTimer(60000);
    EXPECT_TRUE(window->mailTimerOn);
    EXPECT_EQ(window->TimerPeriod(mailTimerId), 60000);
    window->StartMailTimer(5);
    EXPECT_EQ(window->TimerPeriod(mailTimerId), 60000) << "a running mail timer is left alone";
    window->StopMailTimer();
    EXPECT_FALSE(window->mailTimerOn);
    EXPECT_FALSE(window->IsTimerRunning(mailTimerId));
}

} // namespace
} // namespace kelvo
