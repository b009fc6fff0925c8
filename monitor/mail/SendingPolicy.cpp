#include "monitor/mail/SendingPolicy.h"

#include "monitor/core/LocalTime.h"
#include "monitor/core/MailConfigRow.h"
#include "monitor/core/TextNumbers.h"
#include "monitor/mail/SmtpClient.h"
#include "monitor/mail/SplitText.h"

#include <array>
#include <utility>

namespace kelvo {

bool ReportFallsDue(bool periodic, double value, double upper, double lower) {
    // !(value >= lower) rather than value < lower: NaN compares false both ways.
    return periodic || value > upper || !(value >= lower);
}

std::string ReportTag(bool periodic, double value) {
    return (periodic ? " :Inner=" : "Alarm:Inner=") + FormatFixed2(value);
}

Report ComposeReport(const MailConfigRows& rows, int row, const std::string& tag, std::time_t now) {
    Report report;
    report.server = rows.server[row];
    report.sender = rows.sender[row];
    report.userName = rows.userName[row];
    report.password = rows.password[row];
    report.recipients = rows.recipients[row];
    report.subject = rows.subjectPrefix[row] + tag;
    report.body = "HIDKelvo " + tag + " " + FormatLocalTime(now, "%Y-%m-%d %H:%M:%S");
    return report;
}

std::string MissingFieldText(const Report& report) {
    const std::array<std::pair<const std::string*, const char*>, 5> checks{{
        {&report.server, "请填写smtp服务器地址!"},
        {&report.userName, "请填写帐号!"},
        {&report.password, "请填写密码"},
        {&report.sender, "请填写发送地址!"},
        {&report.recipients, "请填写目地地址!"},
    }};
    for (const auto& [field, text] : checks) {
        if (field->empty()) {
            return text;
        }
    }
    return {};
}

std::string DeliverReport(const Report& report, int port, std::chrono::milliseconds timeout) {
    SmtpClient client(timeout);
    if (!client.Connect(report.server, port)) {
        return "连接服务器失败!";
    }
    if (!client.Login(report.userName, report.password)) {
        return "用户名或密码失败!";
    }
    if (!client.SendMail(report.sender, SplitText(report.recipients, ","), report.userName,
                         report.subject, report.body, {}, true)) {
        return "邮件发送失败!";
    }
    return {};
}

std::string CounterLabel(int successes, int attempts) {
    return std::to_string(successes) + "/" + std::to_string(attempts);
}

std::string FailureNote(const std::string& failure, std::time_t when) {
    return FormatLocalTime(when, "%Y-%m-%d %H:%M:%S") + " mail report failed: " + failure;
}

bool BreaksRowFields(const std::string& text) {
    return text.find(rowTerminator) != std::string::npos;
}

} // namespace kelvo
