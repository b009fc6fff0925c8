#pragma once

#include "monitor/core/AlarmState.h"
#include "monitor/mail/MailWorker.h"
#include "monitor/mail/SendingPolicy.h"
#include "monitor/mail/SmtpClient.h"
#include "platform/dialog/Dialog.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <string>

namespace kelvo {

class CMainDlg;

// Control ids of the e-mail page.
namespace emailpage {
inline constexpr int serverId = 1043;
inline constexpr int seariateId = 1044;
inline constexpr int intervalListId = 1045;
inline constexpr int subjectPrefixId = 1046;
inline constexpr int senderId = 1047;
inline constexpr int userNameId = 1048;
inline constexpr int passwordId = 1049;
inline constexpr int recipientsId = 1050;
inline constexpr int alarmId = 1051;
inline constexpr int applyId = 1052;
inline constexpr int sendingId = 1061;
inline constexpr int stopId = 1062;
inline constexpr int counterLabelId = 1064;
inline constexpr int upperId = 1069;
inline constexpr int lowerId = 1070;
inline constexpr int rowListId = 1071;

inline constexpr int mailTimerPeriod = 60000;
} // namespace emailpage

// The "Email" tab: ten mail configurations and the sending policy. The rows
// live in the owner; the SMTP exchange of a report runs on the mail worker,
// one report at a time, and its outcome comes back to this thread.
class CEmailPage : public dialog::Dialog {
    Q_OBJECT
public:
    CEmailPage();
    ~CEmailPage() override;

    // Loads row `index` into the controls, makes its interval the mail
    // interval and starts or stops the mail timer by its sending flag.
    void ShowRow(int index);
    // Selects the row's entry of the "Config Table" list.
    void SelectRow(int index);

    // On a due mail tick: sends a report of row `row` when the row's condition
    // holds for `value` and no report is in flight; with BackInBandNotice=1,
    // also an alarm row's one "Clear" report on the first due tick after the
    // value came back into the band. True when the report went
    // to the mail worker; its outcome reaches the counters when the exchange
    // ends. False when nothing was sent, with `text` holding the failure text
    // of an empty field (such a report counts at once).
    bool CheckAndSend(std::string& text, double value, int row);

    // Whether a report's exchange has not yet come back.
    bool ReportInFlight() const { return reportInFlight; }
    // Serves this thread's calls until the report in flight has come back;
    // the SMTP time-outs bound the wait.
    void WaitForReport();
    // The failure text of the last report that failed; empty while none has.
    const std::string& LastFailure() const { return lastFailure; }

    CMainDlg* owner = nullptr;
    int attempts = 0;
    int successes = 0;

    // Bounds every wait of a report's exchange; tests pass a short one.
    std::chrono::milliseconds smtpTimeout = SmtpClient::defaultTimeout;
    // The clock of the report bodies and failure notes; tests set their own.
    std::function<std::time_t()> reportClock = [] { return std::time(nullptr); };

protected:
    bool OnInitDialog() override;

private:
    void OnSelchangeRowList();
    void OnSendCondition();
    void OnApply();
    // Enables the limit edits exactly when "Alarm" is checked.
    void EnableLimits();
    // Validates the row, then hands the report to the mail worker.
    bool SendReport(std::string& text, double value, int row);
    // The same with the tag given.
    bool SendTaggedReport(std::string& text, const std::string& tag, int row);
    // The end of one report, on this thread: counters, label, failure note
    // with the reason the exchange could not be secured, if that was it.
    void FinishReport(const std::string& failure, const std::string& detail = {});

    MailWorker mailWorker;
    bool reportInFlight = false;
    // An alarm row's band as the due ticks saw it, for the one "Clear" report
    // once the value is back (with BackInBandNotice=1).
    AlarmState mailAlarm;
    bool clearDue = false;
    std::string lastFailure;
};

} // namespace kelvo
