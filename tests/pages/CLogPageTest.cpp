#include "monitor/pages/CLogPage.h"

#include "monitor/core/RecordFile.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/MessageBox.h"
#include "tests/platform/autostart/ScopedVariable.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <QApplication>
#include <QHeaderView>
#include <QRadioButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using testing::ScopedVariable;
using testing::TemporaryDirectory;

using namespace logpage;

class LogPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(page.Initialise());
        // Shown and laid out, but never painted: painting hands work to Qt's
        // own thread pool, whose locks ThreadSanitizer cannot see.
        page.setUpdatesEnabled(false);
        page.show();
        page.SetClock([this] { return now; });
        previousObserver =
            dialog::SetMessageObserver([this](const std::string& caption, const std::string& text) {
                messages.push_back(caption + ": " + text);
            });
    }
    void TearDown() override { dialog::SetMessageObserver(previousObserver); }

    dialog::ListControl* List() { return page.Item<dialog::ListControl>(tableId); }
    const QAbstractItemModel* Model() { return List()->QAbstractItemView::model(); }
    QString Text(int row, int column) { return List()->GetItemText(row, column); }
    void Click(int id) { page.Item<QRadioButton>(id)->click(); }
    std::vector<bool> Radios() {
        std::vector<bool> checked;
        for (int id : {tableRecordingId, tableStopId, fileRecordingId, fileStopId, autoModeId,
                       manualModeId}) {
            checked.push_back(page.IsDlgButtonChecked(id));
        }
        return checked;
    }

    CLogPage page;
    std::time_t now = 1300000000;
    int tableRowNumber = 0;
    std::vector<std::string> messages;
    dialog::MessageObserver previousObserver;
};

TEST_F(LogPage, ListHasItsThreeColumns) {
    page.InitList(); // again: columns are not doubled
    const auto* list = List();
    ASSERT_EQ(Model()->columnCount(), 3);
    const char* headings[] = {"NO", "DateTime", "Temp"};
    const int widths[] = {100, 180, 130};
    const Qt::Alignment alignments[] = {Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignLeft};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(Model()->headerData(column, Qt::Horizontal).toString(), headings[column]);
        EXPECT_EQ(list->columnWidth(column), widths[column]);
        const auto alignment = Model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole);
        EXPECT_TRUE(Qt::Alignment(alignment.toInt()) & alignments[column]) << column;
    }
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
}

TEST_F(LogPage, RowsCarryTheirTimeAndUnitAndTheLastRowIsInView) {
    page.AddRow(1, 25.5, true);
    now += 2;
    page.AddRow(2, 77.9, false);
    EXPECT_EQ(List()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Text(0, 0), "1");
    EXPECT_EQ(Text(0, 1).toStdString(), FormatLocalDateTime(now - 2));
    EXPECT_EQ(Text(0, 2), "25.50 C");
    EXPECT_EQ(Text(1, 0), "2");
    EXPECT_EQ(Text(1, 1).toStdString(), FormatLocalDateTime(now));
    EXPECT_EQ(Text(1, 2), "77.90 F");

    for (int number = 3; number <= 300; ++number) {
        page.AddRow(number, -1.0, true);
    }
    QApplication::processEvents();
    auto* list = List();
    const QRect last = list->visualRect(Model()->index(299, 0));
    EXPECT_TRUE(list->viewport()->rect().contains(last))
        << "scroll bar at " << list->verticalScrollBar()->value() << " of "
        << list->verticalScrollBar()->maximum();
    EXPECT_EQ(Text(299, 2), "-1.00 C");
}

TEST_F(LogPage, NumberingWrapsPastTheLimitToASingleRowOne) {
    page.SetStartupMode(true);
    tableRowNumber = CLogPage::maximumRows - 2;
    page.RecordSample(tableRowNumber, 20.0, true);
    page.RecordSample(tableRowNumber, 20.0, true);
    EXPECT_EQ(tableRowNumber, 32768);
    EXPECT_EQ(List()->GetItemCount(), 2);
    EXPECT_EQ(Text(1, 0), "32768");

    page.RecordSample(tableRowNumber, 21.0, true);
    EXPECT_EQ(tableRowNumber, 1);
    ASSERT_EQ(List()->GetItemCount(), 1);
    EXPECT_EQ(Text(0, 0), "1");
    EXPECT_EQ(Text(0, 2), "21.00 C");
    EXPECT_EQ(Model()->columnCount(), 3);
}

TEST_F(LogPage, StopHoldsTheNumberAndRecordingGoesOnWithoutAGap) {
    page.SetStartupMode(true);
    page.RecordSample(tableRowNumber, 20.0, true);
    page.RecordSample(tableRowNumber, 20.0, true);
    Click(tableStopId);
    page.RecordSample(tableRowNumber, 30.0, true);
    EXPECT_EQ(tableRowNumber, 2);
    EXPECT_EQ(List()->GetItemCount(), 2);
    Click(tableRecordingId);
    page.RecordSample(tableRowNumber, 40.0, true);
    ASSERT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(Text(2, 0), "3");
    EXPECT_EQ(Text(2, 2), "40.00 C");
}

TEST_F(LogPage, SamplesFromTheWorkerArriveThroughTheWindowThread) {
    page.SetStartupMode(true);
    std::atomic<bool> done = false;
    bool recording = false;
    std::thread worker([&] {
        recording = page.IsTableRecording();
        for (int sample = 0; sample < 3; ++sample) {
            page.RecordSample(tableRowNumber, 20.0 + sample, sample != 1);
        }
        done = true;
    });
    while (!done) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_TRUE(recording);
    EXPECT_EQ(tableRowNumber, 3);
    ASSERT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(Text(1, 2), "21.00 F");
}

TEST_F(LogPage, StartupModeSetsAllSixRadios) {
    Click(tableStopId);
    Click(fileStopId);
    page.SetStartupMode(true);
    EXPECT_EQ(Radios(), (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_TRUE(page.IsTableRecording());
    EXPECT_TRUE(page.IsFileRecording());
    EXPECT_TRUE(page.IsAutoStart());
    page.SetStartupMode(false);
    EXPECT_EQ(Radios(), (std::vector<bool>{false, true, false, true, false, true}));
    EXPECT_FALSE(page.IsTableRecording());
    EXPECT_FALSE(page.IsFileRecording());
    EXPECT_FALSE(page.IsAutoStart());
    EXPECT_TRUE(messages.empty()); // setting the mode touches no start-up entry
}

class StartupClicks : public LogPage {
protected:
    TemporaryDirectory temporary;
    const ScopedVariable xdg{"XDG_CONFIG_HOME", temporary.Path().c_str()};
    const fs::path entry = temporary / "autostart" / "HID Kelvo2.desktop";
};

TEST_F(StartupClicks, AutoWritesTheEntryEachTimeAndManualDeletesIt) {
    Click(autoModeId);
    const std::string written = TemporaryDirectory::ReadFile(entry);
    EXPECT_NE(written.find("Exec=\"" + fs::canonical("/proc/self/exe").string() + "\"\n"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("Path=" + fs::current_path().string() + "\n"), std::string::npos);

    TemporaryDirectory::WriteFile(entry, "changed");
    Click(autoModeId); // already selected: written again
    EXPECT_EQ(TemporaryDirectory::ReadFile(entry), written);

    Click(manualModeId);
    EXPECT_FALSE(fs::exists(entry));
    Click(manualModeId); // nothing left to delete
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartupClicks, EntryThatCannotBeWrittenSaysSetFailed) {
    fs::create_directories(entry); // something that is no file stands in its place
    Click(autoModeId);
    EXPECT_EQ(messages, std::vector<std::string>{dialog::ProgramName() + ": Set Failed"});
    EXPECT_TRUE(page.IsAutoStart());
}

} // namespace
} // namespace kelvo
