// When a due mail tick reports, what the report says, and what each failure of
// the exchange is called; the exchange against a scripted loopback server.
#include "monitor/mail/SendingPolicy.h"
#include "tests/mail/ScriptedSmtpServer.h"
#include "tests/support/UtcTimeZone.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using test::ScriptedSmtpServer;
using test::ScriptStep;

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

struct DueCase {
    bool periodic;
    double value;
    double upper;
    double lower;
    bool due;
};

TEST(SendingPolicyTest, PeriodicRowsAlwaysReportAndAlarmRowsOnlyOutsideTheirBand) {
    const DueCase cases[] = {
        {true, 20.0, 30.0, 10.0, true},
        {true, notANumber, 30.0, 10.0, true},
        // A limit itself is inside the band.
        {false, 30.00, 30.0, 10.0, false},
        {false, 10.00, 30.0, 10.0, false},
        {false, 20.0, 30.0, 10.0, false},
        {false, 30.01, 30.0, 10.0, true},
        {false, 9.99, 30.0, 10.0, true},
        // A value that is no number is outside, whatever the band.
        {false, notANumber, 30.0, 10.0, true},
        {false, infinity, 30.0, 10.0, true},
        {false, -infinity, 30.0, 10.0, true},
        // An upper limit below the lower one leaves no value inside.
        {false, 20.0, 10.0, 30.0, true},
    };
    for (const DueCase& example : cases) {
        EXPECT_EQ(ReportFallsDue(example.periodic, example.value, example.upper, example.lower),
                  example.due)
            << (example.periodic ? "periodic " : "alarm ") << example.value << " in "
            << example.lower << ".." << example.upper;
    }
}

class LocalTimeInUtc : public testing::Test {
protected:
    // 2023-11-14 22:13:20 UTC
    static constexpr std::time_t now = 1700000000;

private:
    test::UtcTimeZone utc;
};

MailConfigRows RowsWithPrefix(int row, const std::string& prefix) {
    MailConfigRows rows;
    rows.server[row] = "smtp.kelvo.test";
    rows.sender[row] = "monitor@kelvo.test";
    rows.userName[row] = "kelvo";
    rows.password[row] = "secret";
    rows.recipients[row] = "ops@kelvo.test";
    rows.subjectPrefix[row] = prefix;
    return rows;
}

using ReportTextTest = LocalTimeInUtc;

TEST_F(ReportTextTest, TagSubjectAndBodyFollowTheRadioAndTheLocalTime) {
    const MailConfigRows rows = RowsWithPrefix(3, "Lab ");

    const Report periodic = ComposeReport(rows, 3, ReportTag(true, 21.5), now);
    EXPECT_EQ(periodic.subject, "Lab  :Inner=21.50");
    // The periodic tag begins with a space, so two follow "HIDKelvo".
    EXPECT_EQ(periodic.body, "HIDKelvo  :Inner=21.50 2023-11-14 22:13:20");

    const Report alarm = ComposeReport(rows, 3, ReportTag(false, -5.255), now);
    EXPECT_EQ(alarm.subject, "Lab Alarm:Inner=-5.25");
    EXPECT_EQ(alarm.body, "HIDKelvo Alarm:Inner=-5.25 2023-11-14 22:13:20");
    EXPECT_EQ(alarm.server, "smtp.kelvo.test");
    EXPECT_EQ(alarm.recipients, "ops@kelvo.test");

    EXPECT_EQ(FailureNote("邮件发送失败!", now),
              "2023-11-14 22:13:20 mail report failed: 邮件发送失败! (sending the mail failed)");
    EXPECT_EQ(FailureNote("other", now), "2023-11-14 22:13:20 mail report failed: other");
}

TEST(SendingPolicyTest, TheFirstEmptyFieldNamesTheFailureInTheirFixedOrder) {
    const Report whole = ComposeReport(RowsWithPrefix(0, ""), 0, ReportTag(true, 20.0), 0);
    EXPECT_EQ(MissingFieldText(whole), "") << "an empty subject prefix is allowed";

    struct Case {
        std::vector<std::string Report::*> emptied;
        const char* text;
    };
    const Case cases[] = {
        {{&Report::server}, "请填写smtp服务器地址!"},
        {{&Report::userName}, "请填写帐号!"},
        {{&Report::password}, "请填写密码"},
        {{&Report::sender}, "请填写发送地址!"},
        {{&Report::recipients}, "请填写目地地址!"},
        {{&Report::recipients, &Report::sender, &Report::password}, "请填写密码"},
        {{&Report::recipients, &Report::sender, &Report::userName}, "请填写帐号!"},
        {{&Report::recipients, &Report::server}, "请填写smtp服务器地址!"},
    };
    for (const Case& example : cases) {
        Report report = whole;
        for (std::string Report::*field : example.emptied) {
            (report.*field).clear();
        }
        EXPECT_EQ(MissingFieldText(report), example.text);
    }
}

ScriptStep Greeting(std::string reply) {
    return {"", {std::move(reply)}};
}
ScriptStep Reply(std::string reply) {
    return {"\r\n", {std::move(reply)}};
}

std::vector<ScriptStep> Join(std::initializer_list<std::vector<ScriptStep>> parts) {
    std::vector<ScriptStep> joined;
    for (const auto& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

const std::vector<ScriptStep> greeted = {Greeting("220 kelvo.test ESMTP\r\n"),
                                         Reply("250-kelvo.test\r\n250 AUTH LOGIN\r\n")};
const std::vector<ScriptStep> loggedIn = {Reply("334 VXNlcm5hbWU6\r\n"),
                                          Reply("334 UGFzc3dvcmQ6\r\n"), Reply("235 OK\r\n")};

Report LoopbackReport(const std::string& recipients) {
    Report report;
    report.server = "127.0.0.1";
    report.sender = "monitor@kelvo.test";
    report.userName = "kelvo";
    report.password = "secret";
    report.recipients = recipients;
    report.subject = "Lab Alarm:Inner=30.01";
    report.body = "HIDKelvo Alarm:Inner=30.01 2023-11-14 22:13:20";
    return report;
}

TEST(DeliverReportTest, EachStepThatFailsHasItsOwnText) {
    struct Case {
        const char* name;
        std::vector<ScriptStep> script;
        std::string recipients;
        const char* text;
        const char* lastCommand; // the last line the server got before the farewell
    };
    const Case cases[] = {
        {"greeting refused",
         {Greeting("554 No service\r\n")},
         "ops@kelvo.test",
         "连接服务器失败!",
         ""},
        {"password refused",
         Join({greeted,
               {Reply("334 VXNlcm5hbWU6\r\n"), Reply("334 UGFzc3dvcmQ6\r\n"),
                Reply("501 Cannot decode\r\n")}}),
         "ops@kelvo.test", "用户名或密码失败!", "c2VjcmV0\r\n"},
        // One character that is not the separator passes the empty-field check
        // but names no recipient: the send fails after the login, before MAIL.
        {"single-character recipients", Join({greeted, loggedIn}), "x", "邮件发送失败!",
         "c2VjcmV0\r\n"},
    };
    for (const Case& example : cases) {
        ScriptedSmtpServer server(example.script);
        Report report = LoopbackReport(example.recipients);
        EXPECT_EQ(DeliverReport(report, server.Port(), 5s), example.text) << example.name;
        const std::string& received = server.Received();
        EXPECT_TRUE(received.ends_with(std::string(example.lastCommand) + "QUIT\r\n"))
            << example.name << ": " << received;
    }
}

TEST(DeliverReportTest, NoServerListeningFailsTheConnection) {
    // A port bound and given up again: nothing listens there.
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(probe);
    const int port = ntohs(address.sin_port);
    EXPECT_EQ(DeliverReport(LoopbackReport("ops@kelvo.test"), port, 2s), "连接服务器失败!");
}

TEST(DeliverReportTest, AcceptedReportGoesToEachRecipientUnderTheUserName) {
    ScriptedSmtpServer server(Join({greeted,
                                    loggedIn,
                                    {Reply("250 OK\r\n"),
                                     Reply("250 OK\r\n"),
                                     Reply("250 OK\r\n"),
                                     Reply("354 Go on\r\n"),
                                     {"\r\n.\r\n", {"250 Queued\r\n"}},
                                     Reply("221 Bye\r\n")}}));
    EXPECT_EQ(DeliverReport(LoopbackReport("ops@kelvo.test, lab@kelvo.test"), server.Port(), 5s),
              "");
    const std::string& received = server.Received();
    EXPECT_TRUE(received.starts_with("EHLO 127.0.0.1\r\n")) << received;
    EXPECT_NE(received.find("RCPT To:<ops@kelvo.test>\r\nRCPT To:< lab@kelvo.test>\r\n"),
              std::string::npos)
        << "items keep their spaces: " << received;
    EXPECT_NE(received.find("From:kelvo<monitor@kelvo.test>\r\nSubject:Lab Alarm:Inner=30.01\r\n"),
              std::string::npos)
        << received;
    EXPECT_NE(received.find("Content-type:text/html;Charset=gb2312\r\n"), std::string::npos);
    EXPECT_NE(received.find("HIDKelvo Alarm:Inner=30.01 2023-11-14 22:13:20\r\n"),
              std::string::npos);
}

} // namespace
} // namespace kelvo
