#include "monitor/mail/SendingPolicy.h"

#include "monitor/core/LocalTime.h"
#include "monitor/core/MailConfigRow.h"
#include "monitor/core/TextNumbers.h"
#include "monitor/mail/SmtpClient.h"
#include "monitor/mail/SplitText.h"

#include <array>
#include <utility>

namespace kelvo {
namespace {

// The failure texts, and what each says for a reader without Chinese (or
// without a font for it).
struct FailureText {
    const char* text;
    const char* meaning;
};
constexpr FailureText noServer{"请填写smtp服务器地址!", "fill in the SMTP server address"};
constexpr FailureText noUserName{"请填写帐号!", "fill in the account"};
constexpr FailureText noPassword{"请填写密码", "fill in the password"};
constexpr FailureText noSender{"请填写发送地址!", "fill in the sending address"};
constexpr FailureText noRecipients{"请填写目地地址!", "fill in the destination address"};
constexpr FailureText connectFailed{"连接服务器失败!", "connecting to the server failed"};
constexpr FailureText loginFailed{"用户名或密码失败!", "user name or password failed"};
constexpr FailureText sendFailed{"邮件发送失败!", "sending the mail failed"};
constexpr std::array<FailureText, 8> failureTexts{noServer,    noUserName,   noPassword,
                                                  noSender,    noRecipients, connectFailed,
                                                  loginFailed, sendFailed};

} // namespace

bool ReportFallsDue(bool periodic, double value, double upper, double lower) {
    // !(value >= lower) rather than value < lower: NaN compares false both ways.
    return periodic || value > upper || !(value >= lower);
}

std::string ReportTag(bool periodic, double value) {
    return (periodic ? " :Inner=" : "Alarm:Inner=") + FormatFixed2(value);
}

std::string ClearTag(double value) {
    return "Clear:Inner=" + FormatFixed2(value);
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
    const std::array<std::pair<const std::string*, FailureText>, 5> checks{{
        {&report.server, noServer},
        {&report.userName, noUserName},
        {&report.password, noPassword},
        {&report.sender, noSender},
        {&report.recipients, noRecipients},
    }};
    for (const auto& [field, failure] : checks) {
        if (field->empty()) {
            return failure.text;
        }
    }
    return {};
}

std::string DeliverReport(const Report& report, int port, std::chrono::milliseconds timeout,
                          const MailTransport& transport, std::string* detail) {
    SmtpClient client(timeout, transport);
    auto failed = [&](const FailureText& failure) {
        if (detail != nullptr) {
            *detail = client.Problem();
        }
        return std::string(failure.text);
    };
    if (!client.Connect(report.server, port)) {
        return failed(connectFailed);
    }
    if (!client.Login(report.userName, report.password)) {
        return failed(loginFailed);
    }
    if (!client.SendMail(report.sender, SplitText(report.recipients, ","), report.userName,
                         report.subject, report.body, {}, true)) {
        return sendFailed.text;
    }
    return {};
}

std::string CounterLabel(int successes, int attempts) {
    return std::to_string(successes) + "/" + std::to_string(attempts);
}

std::string FailureNote(const std::string& failure, std::time_t when) {
    std::string note =
        FormatLocalTime(when, "%Y-%m-%d %H:%M:%S") + " mail report failed: " + failure;
    for (const FailureText& known : failureTexts) {
        if (failure == known.text) {
            note += std::string(" (") + known.meaning + ")";
        }
    }
    return note;
}

bool BreaksRowFields(const std::string& text) {
    return text.find(rowTerminator) != std::string::npos;
}

} // namespace kelvo
