#include "monitor/mail/CEmailPage.h"

#include "monitor/app/CMainDlg.h"
#include "monitor/core/TextNumbers.h"
#include "monitor/resources/Templates.h"
#include "platform/dialog/MessageBox.h"
#include "platform/dialog/UiThread.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace kelvo {
namespace {

using namespace emailpage;

constexpr int largestInterval = 3600;

int RowOrFirst(int index) {
    return index >= 0 && index < mailRowCount ? index : 0;
}

// A TLS failure says what was wrong with the server's certificate.
std::string WithDetail(const std::string& note, const std::string& detail) {
    return detail.empty() ? note : note + ": " + detail;
}

} // namespace

CEmailPage::CEmailPage() : Dialog(resources::EmailTemplate()) {}

CEmailPage::~CEmailPage() {
    WaitForReport();
}

bool CEmailPage::OnInitDialog() {
    ComboAddStrings(intervalListId, dialog::NumberTexts(1, largestInterval));
    ComboAddStrings(rowListId, dialog::NumberTexts(1, mailRowCount));
    attempts = 0;
    successes = 0;
    OnControlEvent(rowListId, dialog::ControlEvent::SelectionChanged,
                   [this] { OnSelchangeRowList(); });
    OnControlEvent(seariateId, dialog::ControlEvent::Clicked, [this] { OnSendCondition(); });
    OnControlEvent(alarmId, dialog::ControlEvent::Clicked, [this] { OnSendCondition(); });
    OnControlEvent(applyId, dialog::ControlEvent::Clicked, [this] { OnApply(); });
    return true;
}

void CEmailPage::ShowRow(int index) {
    if (owner == nullptr) {
        return;
    }
    const int row = RowOrFirst(index);
    const MailConfigRows& rows = owner->mailRows;
    SetDlgItemText(serverId, rows.server[row]);
    SetDlgItemText(senderId, rows.sender[row]);
    SetDlgItemText(userNameId, rows.userName[row]);
    SetDlgItemText(subjectPrefixId, rows.subjectPrefix[row]);
    SetDlgItemText(recipientsId, rows.recipients[row]);
    SetDlgItemText(passwordId, rows.password[row]);
    CheckDlgButton(sendingId, rows.sending[row]);
    CheckDlgButton(stopId, !rows.sending[row]);
    CheckDlgButton(seariateId, rows.periodic[row]);
    CheckDlgButton(alarmId, !rows.periodic[row]);
    SetDlgItemText(upperId, FormatFixed2(rows.upper[row]));
    SetDlgItemText(lowerId, FormatFixed2(rows.lower[row]));
    const int interval = rows.interval[row];
    ComboSetCurSel(intervalListId,
                   interval >= 1 && interval <= largestInterval ? interval - 1 : -1);
    EnableLimits();
    // Another row has its own band: an alarm of the last one is not cleared by it.
    mailAlarm.Reset();
    clearDue = false;
    owner->mailInterval = interval;
    if (rows.sending[row]) {
        owner->StartMailTimer(mailTimerPeriod);
    } else {
        owner->StopMailTimer();
    }
}

void CEmailPage::SelectRow(int index) {
    ComboSetCurSel(rowListId, RowOrFirst(index));
}

void CEmailPage::OnSelchangeRowList() {
    const int selected = ComboGetCurSel(rowListId);
    if (owner == nullptr || selected < 0) {
        return;
    }
    // The row shown is the active row, at once and without "Apply".
    owner->mailRowIndex = selected;
    ShowRow(selected);
}

void CEmailPage::OnSendCondition() {
    EnableLimits();
}

void CEmailPage::EnableLimits() {
    const bool alarm = IsDlgButtonChecked(alarmId);
    EnableDlgItem(upperId, alarm);
    EnableDlgItem(lowerId, alarm);
}

void CEmailPage::OnApply() {
    const int row = ComboGetCurSel(rowListId);
    if (owner == nullptr || row < 0) {
        return;
    }
    // The stored row cannot escape its terminator, so a field holding it would
    // shift every later field at the next load. The password is stored in
    // Base64 and may hold anything.
    static constexpr std::array<std::pair<int, const char*>, 5> storedAsTyped{{
        {serverId, "SMTP"},
        {senderId, "Email"},
        {userNameId, "UserName"},
        {recipientsId, "Recive Email"},
        {subjectPrefixId, "Subject prefix"},
    }};
    for (const auto& [id, name] : storedAsTyped) {
        if (BreaksRowFields(GetDlgItemText(id))) {
            MessageBox(std::string("The field \"") + name +
                       "\" holds \"|^|\", which the configuration file cannot keep in a mail "
                       "field. Nothing was applied.");
            return;
        }
    }
    MailConfigRows& rows = owner->mailRows;
    rows.server[row] = GetDlgItemText(serverId);
    rows.sender[row] = GetDlgItemText(senderId);
    rows.userName[row] = GetDlgItemText(userNameId);
    rows.password[row] = GetDlgItemText(passwordId);
    rows.subjectPrefix[row] = GetDlgItemText(subjectPrefixId);
    rows.recipients[row] = GetDlgItemText(recipientsId);
    rows.sending[row] = IsDlgButtonChecked(sendingId);
    rows.periodic[row] = IsDlgButtonChecked(seariateId);
    // No selection gives 0, which makes every mail tick due.
    rows.interval[row] = ComboGetCurSel(intervalListId) + 1;
    owner->mailInterval = rows.interval[row];
    rows.upper[row] = ReadReal(GetDlgItemText(upperId));
    rows.lower[row] = ReadReal(GetDlgItemText(lowerId));
    if (rows.sending[row]) {
        owner->StartMailTimer(mailTimerPeriod);
    } else {
        owner->StopMailTimer();
    }
}

bool CEmailPage::CheckAndSend(std::string& text, double value, int row) {
    text.clear();
    if (owner == nullptr || row < 0 || row >= mailRowCount) {
        return false;
    }
    const MailConfigRows& rows = owner->mailRows;
    const bool due = ReportFallsDue(rows.periodic[row], value, rows.upper[row], rows.lower[row]);
    if (!rows.periodic[row]) {
        const ExtensionSettings& extensions = owner->extensions;
        const AlarmState::Transition transition =
            mailAlarm.Follow(value, {rows.lower[row], rows.upper[row], extensions.alarmHysteresis});
        // A clear waits for a tick with no report in flight, unless the value
        // leaves the band again first.
        clearDue = due ? false
                       : clearDue || (transition == AlarmState::Transition::Clear &&
                                      extensions.backInBandNotice);
    }
    if (clearDue && !reportInFlight) {
        clearDue = false;
        return SendTaggedReport(text, ClearTag(value), row);
    }
    if (!due) {
        return false;
    }
    // One report at a time: one that falls due meanwhile is neither sent nor counted.
    if (reportInFlight) {
        return false;
    }
    return SendReport(text, value, row);
}

bool CEmailPage::SendReport(std::string& text, double value, int row) {
    // The radio as it stands, not the stored flag, names the report.
    return SendTaggedReport(text, ReportTag(IsDlgButtonChecked(seariateId), value), row);
}

bool CEmailPage::SendTaggedReport(std::string& text, const std::string& tag, int row) {
    Report report = ComposeReport(owner->mailRows, row, tag, reportClock());
    text = MissingFieldText(report);
    if (!text.empty()) {
        FinishReport(text);
        return false;
    }
    reportInFlight = true;
    const ExtensionSettings& extensions = owner->extensions;
    const MailTransport transport{extensions.mailSecurity, extensions.mailCAFile};
    const int port = MailPortFor(extensions.mailSecurity, extensions.mailPort);
    // The worker has its own copy of the report, the transport and the
    // time-out, and reaches the page only through a call on this thread.
    mailWorker.Start([this, report = std::move(report), transport, port, timeout = smtpTimeout] {
        std::string detail;
        const std::string failure = DeliverReport(report, port, timeout, transport, &detail);
        const bool served = dialog::UiThread::BlockingCall(
            [this, &failure, &detail] { FinishReport(failure, detail); });
        if (!served && !failure.empty()) {
            dialog::WriteErrorNote(WithDetail(FailureNote(failure, std::time(nullptr)), detail));
        }
    });
    return true;
}

void CEmailPage::FinishReport(const std::string& failure, const std::string& detail) {
    reportInFlight = false;
    ++attempts;
    if (failure.empty()) {
        ++successes;
    }
    SetDlgItemText(counterLabelId, CounterLabel(successes, attempts));
    if (owner != nullptr) {
        owner->metrics.MailReportFinished(failure.empty());
    }
    if (failure.empty()) {
        return;
    }
    lastFailure = failure;
    const std::string note = WithDetail(FailureNote(failure, reportClock()), detail);
    if (QWidget* label = GetDlgItem(counterLabelId)) {
        label->setToolTip(QString::fromStdString(note));
    }
    dialog::WriteErrorNote(note);
}

void CEmailPage::WaitForReport() {
    mailWorker.Wait([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

} // namespace kelvo
