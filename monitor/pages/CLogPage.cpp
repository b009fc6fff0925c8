#include "monitor/pages/CLogPage.h"

#include "monitor/core/RecordFile.h"
#include "monitor/core/SamplingRules.h"
#include "monitor/resources/Templates.h"
#include "platform/autostart/StartupEntry.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/UiThread.h"

#include <QMetaObject>

#include <filesystem>

namespace kelvo {

using dialog::UiThread;
using namespace logpage;

CLogPage::CLogPage() : Dialog(resources::LogTemplate()), clock([] { return std::time(nullptr); }) {}

bool CLogPage::OnInitDialog() {
    InitList();
    OnControlEvent(autoModeId, dialog::ControlEvent::Clicked, [this] { OnAutoLogMode(); });
    OnControlEvent(manualModeId, dialog::ControlEvent::Clicked, [this] { OnManualMode(); });
    return true;
}

void CLogPage::SetClock(Clock newClock) {
    UiThread::BlockingCall([&] { clock = std::move(newClock); });
}

void CLogPage::InitList() {
    UiThread::BlockingCall([this] {
        auto* list = Item<dialog::ListControl>(tableId);
        if (list == nullptr) {
            return; // the page is not created yet
        }
        list->DeleteAllItems();
        list->DeleteAllColumns();
        list->SetExtendedStyles(true, true);
        list->InsertColumn(0, QStringLiteral("NO"), Qt::AlignHCenter, 100);
        list->InsertColumn(1, QStringLiteral("DateTime"), Qt::AlignLeft, 180);
        list->InsertColumn(2, QStringLiteral("Temp"), Qt::AlignLeft, 130);
    });
}

void CLogPage::AddRow(int number, double reading, bool centigrade) {
    UiThread::BlockingCall([this, number, reading, centigrade] {
        auto* list = Item<dialog::ListControl>(tableId);
        if (list == nullptr) {
            return;
        }
        if (list->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOn) {
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        }
        const std::time_t now = clock();
        const int row = list->InsertItem(number - 1, QString::number(number));
        list->SetItemText(row, 1, QString::fromStdString(FormatLocalDateTime(now)));
        list->SetItemText(row, 2, QString::fromStdString(FormatTemperature(reading, centigrade)));
        if (list->GetItemCount() > 0) {
            ScrollToLastRow();
        }
    });
}

void CLogPage::ScrollToLastRow() {
    // Rows that come in a burst are scrolled to once, when the window thread
    // next turns to its events: before anything is drawn, so nobody sees the
    // difference, and each row stays cheap.
    if (scrollPending) {
        return;
    }
    scrollPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scrollPending = false;
            // scrollToBottom lays out the new rows first; a plain scrollTo
            // would stop at the old end and leave the last row half hidden.
            Item<dialog::ListControl>(tableId)->scrollToBottom();
        },
        Qt::QueuedConnection);
}

void CLogPage::RecordSample(int& tableRowNumber, double reading, bool centigrade) {
    // One call across for the whole step, so that the switch cannot change
    // between the check and the row.
    UiThread::BlockingCall([&] {
        if (!IsTableRecording()) {
            return;
        }
        if (tableRowNumber >= maximumRows) {
            tableRowNumber = 1;
            InitList();
        } else {
            ++tableRowNumber;
        }
        AddRow(tableRowNumber, reading, centigrade);
    });
}

void CLogPage::SetStartupMode(bool automatic) {
    UiThread::BlockingCall([this, automatic] {
        CheckDlgButton(autoModeId, automatic);
        CheckDlgButton(manualModeId, !automatic);
        CheckDlgButton(tableRecordingId, automatic);
        CheckDlgButton(tableStopId, !automatic);
        CheckDlgButton(fileRecordingId, automatic);
        CheckDlgButton(fileStopId, !automatic);
    });
}

bool CLogPage::IsChecked(int id) const {
    bool checked = false;
    UiThread::BlockingCall([this, id, &checked] { checked = IsDlgButtonChecked(id); });
    return checked;
}

bool CLogPage::IsTableRecording() const {
    return IsChecked(tableRecordingId);
}

bool CLogPage::IsFileRecording() const {
    return IsChecked(fileRecordingId);
}

bool CLogPage::IsAutoStart() const {
    return IsChecked(autoModeId);
}

void CLogPage::OnAutoLogMode() {
    if (!IsDlgButtonChecked(autoModeId)) {
        return;
    }
    std::error_code error;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(error);
    const autostart::EntryResult result =
        autostart::WriteEntry(autostart::RunningProgramPath(), workingDirectory);
    // Without any folder to write to there is nothing to report, as when the
    // start-up list itself cannot be opened.
    if (result == autostart::EntryResult::failed) {
        MessageBox("Set Failed");
    }
}

void CLogPage::OnManualMode() {
    if (IsDlgButtonChecked(manualModeId)) {
        (void)autostart::RemoveEntry();
    }
}

} // namespace kelvo
