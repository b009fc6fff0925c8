// The e-mail page on a main window over simulated thermometers: its controls,
// the mail tick's policy, and reports through real SMTP servers on port 25 of
// the loopback interface (aiosmtpd, and servers that never answer).
#include "monitor/core/MailConfigRow.h"
#include "tests/app/MonitorWindowFixture.h"
#include "tests/mail/AiosmtpdServer.h"
#include "tests/mail/TestCertificates.h"
#include "tests/support/UtcTimeZone.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <thread>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using namespace emailpage;
using mainwindow::mailTimerId;
using mainwindow::readingId;
using mainwindow::readTimerId;

// 2023-11-14 22:13:20 UTC
constexpr std::time_t reportTime = 1700000000;

struct StoredRow {
    std::string server = "127.0.0.1";
    std::string sender = "monitor@kelvo.test";
    std::string userName = "kelvo";
    std::string recipients = "ops@kelvo.test";
    std::string prefix = "Lab";
    int interval = 1;
    bool sending = true;
    bool periodic = true;
    double upper = 30.0;
    double lower = 10.0;
    std::string password = "secret";

    // The row as Config.ini keeps it.
    std::string Stored() const {
        MailConfigRows rows;
        rows.server[0] = server;
        rows.sender[0] = sender;
        rows.userName[0] = userName;
        rows.recipients[0] = recipients;
        rows.subjectPrefix[0] = prefix;
        rows.interval[0] = interval;
        rows.sending[0] = sending;
        rows.periodic[0] = periodic;
        rows.upper[0] = upper;
        rows.lower[0] = lower;
        rows.password[0] = password;
        return FormatMailRow(rows, 0);
    }
};

// A listening socket on one loopback address's port 25 that never answers:
// the kernel completes each connection, nobody speaks on it. Another test
// holding the port is waited for.
class SilentServer {
public:
    explicit SilentServer(const char* address) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        for (;;) {
            listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const int yes = 1;
            setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
            sockaddr_in where{};
            where.sin_family = AF_INET;
            where.sin_port = htons(25);
            inet_pton(AF_INET, address, &where.sin_addr);
            if (bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 &&
                listen(listener, 4) == 0) {
                return;
            }
            const int error = errno;
            close(listener);
            listener = -1;
            if (error != EADDRINUSE || std::chrono::steady_clock::now() > deadline) {
                return;
            }
            std::this_thread::sleep_for(100ms);
        }
    }
    ~SilentServer() {
        if (listener >= 0) {
            close(listener);
        }
    }

    bool Listens() const { return listener >= 0; }

    // Takes the waiting connection and closes it, as a server giving up would.
    bool HangUp() {
        if (listener < 0) {
            return false;
        }
        pollfd entry{listener, POLLIN, 0};
        if (poll(&entry, 1, 10000) <= 0) {
            return false;
        }
        const int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            return false;
        }
        close(connection);
        return true;
    }

private:
    int listener = -1;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class EmailPageTest : public MonitorWindowFixture {
protected:
    // Starts the window on one thermometer reading 21.5 with the given rows
    // (EmailConfig1 onwards) and settings lines.
    void StartWith(const std::vector<StoredRow>& rows, const std::string& more = "",
                   int thermometers = 1) {
        std::string config = "[ConfigInfo]\r\nReadInterval=1\r\n" + more;
        for (std::size_t index = 0; index < rows.size(); ++index) {
            config +=
                "EmailConfig" + std::to_string(index + 1) + "=" + rows[index].Stored() + "\r\n";
        }
        WriteConfig(config);
        Start(thermometers, "21.5");
        page().reportClock = [] { return reportTime; };
    }

    CEmailPage& page() { return window->emailPage; }
    std::string PageText(int id) { return page().GetDlgItemText(id); }
    std::string Label() { return PageText(counterLabelId); }
    std::string Tooltip() { return page().Item<QLabel>(counterLabelId)->toolTip().toStdString(); }
    void Click(dialog::Dialog& dialog, int id) { dialog.Item<QAbstractButton>(id)->click(); }
    // Picks an entry of a page list as a user does.
    void Pick(int listId, int index) {
        auto* list = page().Item<QComboBox>(listId);
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    // Two read ticks: the first inner sample.
    void TakeSample() {
        Tick(readTimerId);
        Tick(readTimerId);
        ASSERT_FALSE(window->innerPending);
    }
    // One mail tick and the report it may have started.
    void MailTick() {
        window->OnTimer(mailTimerId);
        page().WaitForReport();
    }

    // aiosmtpd on 127.0.0.1:25 with the account kelvo/secret.
    void StartMailServer() {
        std::filesystem::create_directory(folder / "stored");
        mailServer = std::make_unique<test::AiosmtpdServer>(folder / "stored", "kelvo", "secret",
                                                            "127.0.0.1", 25);
        ASSERT_EQ(mailServer->Port(), 25) << "aiosmtpd did not come up on 127.0.0.1:25";
    }
    std::size_t StoredMessages() const {
        const std::filesystem::directory_iterator entries(folder / "stored");
        return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
    }
    std::string Stored(std::size_t number, const char* file) const {
        return ReadFile(folder / "stored" / std::to_string(number) / file);
    }

    std::unique_ptr<test::AiosmtpdServer> mailServer;

private:
    test::UtcTimeZone utc;
};

TEST_F(EmailPageTest, StartUpShowsTheActiveRowAndRunsTheMailTimerByItsSendingFlag) {
    StoredRow alarmRow;
    alarmRow.server = "mail.kelvo.test";
    alarmRow.interval = 7;
    alarmRow.periodic = false;
    alarmRow.upper = 30.5;
    StoredRow stopped;
    stopped.sending = false;
    stopped.interval = 0;
    struct Case {
        int thermometers;
        const char* index;
        int row;
        bool timer;
    };
    // An index outside the ten rows means the first one.
    for (const Case& example : {Case{1, "2", 2, true}, Case{0, "2", 2, true},
                                Case{1, "12", 0, false}, Case{0, "-1", 0, false}}) {
        SCOPED_TRACE(std::string("index ") + example.index + ", thermometers " +
                     std::to_string(example.thermometers));
        StartWith({stopped, StoredRow{}, alarmRow},
                  std::string("EmailConfigIndex=") + example.index + "\r\n", example.thermometers);
        EXPECT_EQ(page().ComboGetCount(intervalListId), 3600);
        EXPECT_EQ(page().ComboGetItemText(intervalListId, 0), "1");
        EXPECT_EQ(page().ComboGetItemText(intervalListId, 3599), "3600");
        EXPECT_EQ(page().ComboGetCount(rowListId), 10);
        EXPECT_EQ(page().ComboGetItemText(rowListId, 9), "10");
        EXPECT_EQ(page().attempts, 0);
        EXPECT_EQ(page().successes, 0);

        EXPECT_EQ(page().ComboGetCurSel(rowListId), example.row);
        EXPECT_EQ(window->IsTimerRunning(mailTimerId), example.timer);
        EXPECT_EQ(window->mailTimerOn, example.timer);
        if (example.row == 2) {
            EXPECT_EQ(PageText(serverId), "mail.kelvo.test");
            EXPECT_EQ(PageText(senderId), "monitor@kelvo.test");
            EXPECT_EQ(PageText(userNameId), "kelvo");
            EXPECT_EQ(PageText(passwordId), "secret");
            EXPECT_EQ(PageText(recipientsId), "ops@kelvo.test");
            EXPECT_EQ(PageText(subjectPrefixId), "Lab");
            EXPECT_TRUE(page().IsDlgButtonChecked(sendingId));
            EXPECT_FALSE(page().IsDlgButtonChecked(stopId));
            EXPECT_TRUE(page().IsDlgButtonChecked(alarmId));
            EXPECT_FALSE(page().IsDlgButtonChecked(seariateId));
            EXPECT_EQ(PageText(upperId), "30.50");
            EXPECT_EQ(PageText(lowerId), "10.00");
            EXPECT_TRUE(page().IsDlgItemEnabled(upperId));
            EXPECT_EQ(page().ComboGetCurSel(intervalListId), 6);
            EXPECT_EQ(window->mailInterval, 7);
            EXPECT_EQ(window->TimerPeriod(mailTimerId), 60000);
        } else {
            // An interval of 0 selects no entry.
            EXPECT_EQ(page().ComboGetCurSel(intervalListId), -1);
            EXPECT_TRUE(page().IsDlgButtonChecked(stopId));
            EXPECT_FALSE(page().IsDlgItemEnabled(upperId)) << "limits are for alarm rows";
            EXPECT_EQ(window->mailInterval, 0);
        }
        window.reset();
    }
}

TEST_F(EmailPageTest, ConfigTableChangeMakesTheRowActiveAndSetsTheTimerAtOnce) {
    StoredRow quiet;
    quiet.sending = false;
    quiet.interval = 12;
    quiet.prefix = "Quiet";
    StartWith({StoredRow{}, quiet});
    ASSERT_TRUE(window->IsTimerRunning(mailTimerId));
    page().SetDlgItemText(subjectPrefixId, "typed, never applied");

    Pick(rowListId, 1);
    EXPECT_EQ(window->mailRowIndex, 1);
    EXPECT_EQ(window->mailInterval, 12);
    EXPECT_FALSE(window->IsTimerRunning(mailTimerId));
    EXPECT_EQ(PageText(subjectPrefixId), "Quiet");
    EXPECT_EQ(window->mailRows.subjectPrefix[0], "Lab") << "a pick is no Apply";

    Pick(rowListId, 0);
    EXPECT_EQ(window->mailRowIndex, 0);
    EXPECT_EQ(window->mailInterval, 1);
    EXPECT_TRUE(window->IsTimerRunning(mailTimerId));
    EXPECT_EQ(PageText(subjectPrefixId), "Lab");
}

TEST_F(EmailPageTest, OnlyAlarmEnablesTheLimitEdits) {
    StartWith({StoredRow{}});
    for (auto [radio, enabled] :
         {std::pair{alarmId, true}, std::pair{seariateId, false}, std::pair{alarmId, true}}) {
        Click(page(), radio);
        EXPECT_EQ(page().IsDlgItemEnabled(upperId), enabled);
        EXPECT_EQ(page().IsDlgItemEnabled(lowerId), enabled);
    }
    EXPECT_TRUE(window->mailRows.periodic[0]) << "a click alone stores nothing";
}

TEST_F(EmailPageTest, ApplyStoresTheControlsIntoTheSelectedRow) {
    StartWith({StoredRow{}});
    Pick(rowListId, 4);
    ASSERT_EQ(window->mailRowIndex, 4);
    page().SetDlgItemText(serverId, " smtp.kelvo.test ");
    page().SetDlgItemText(senderId, "lab@kelvo.test");
    page().SetDlgItemText(userNameId, "lab");
    page().SetDlgItemText(passwordId, "p|^|ss");
    page().SetDlgItemText(subjectPrefixId, "Cold room");
    page().SetDlgItemText(recipientsId, "a@kelvo.test,b@kelvo.test");
    Click(page(), sendingId);
    Click(page(), alarmId);
    Pick(intervalListId, 9);
    page().SetDlgItemText(upperId, "31.5 C");
    page().SetDlgItemText(lowerId, "cold");
    Click(page(), applyId);

    const MailConfigRows& rows = window->mailRows;
    EXPECT_EQ(rows.server[4], " smtp.kelvo.test ") << "texts are stored as they stand";
    EXPECT_EQ(rows.sender[4], "lab@kelvo.test");
    EXPECT_EQ(rows.userName[4], "lab");
    EXPECT_EQ(rows.subjectPrefix[4], "Cold room");
    EXPECT_EQ(rows.recipients[4], "a@kelvo.test,b@kelvo.test");
    EXPECT_TRUE(rows.sending[4]);
    EXPECT_FALSE(rows.periodic[4]);
    EXPECT_EQ(rows.interval[4], 10);
    EXPECT_EQ(window->mailInterval, 10);
    EXPECT_DOUBLE_EQ(rows.upper[4], 31.5);
    EXPECT_DOUBLE_EQ(rows.lower[4], 0.0);
    EXPECT_TRUE(window->IsTimerRunning(mailTimerId));
    // The password is kept in Base64, so it may hold the terminator.
    MailConfigRows reloaded;
    ParseMailRow(reloaded, FormatMailRow(rows, 4), 0);
    EXPECT_EQ(reloaded.password[0], "p|^|ss");
    EXPECT_EQ(reloaded.lower[0], 0.0);

    Click(page(), stopId);
    Click(page(), applyId);
    EXPECT_FALSE(rows.sending[4]);
    EXPECT_FALSE(window->IsTimerRunning(mailTimerId));
    EXPECT_TRUE(messages.empty());
}

TEST_F(EmailPageTest, ApplyRefusesAFieldHoldingTheRowTerminatorAndStoresNothing) {
    StartWith({StoredRow{}});
    const std::string before = FormatMailRow(window->mailRows, 0);
    for (int id : {serverId, senderId, userNameId, recipientsId, subjectPrefixId}) {
        SCOPED_TRACE("control " + std::to_string(id));
        page().ShowRow(0);
        messages.clear();
        page().SetDlgItemText(id, "left|^|right");
        Click(page(), stopId);
        Pick(intervalListId, 4);
        Click(page(), applyId);
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_NE(messages[0].find("|^|"), std::string::npos) << messages[0];
        EXPECT_EQ(FormatMailRow(window->mailRows, 0), before);
        EXPECT_EQ(window->mailInterval, 1);
        EXPECT_TRUE(window->IsTimerRunning(mailTimerId));
    }
}

TEST_F(EmailPageTest, AnEmptyRowAppliesIntervalZeroAndEveryTickCountsItsFailure) {
    StartWith({StoredRow{}});
    ASSERT_NO_FATAL_FAILURE(TakeSample());
    Pick(rowListId, 6);
    ASSERT_EQ(page().ComboGetCurSel(intervalListId), -1);
    Click(page(), sendingId);
    Click(page(), applyId);
    EXPECT_EQ(window->mailRows.interval[6], 0);
    EXPECT_EQ(window->mailInterval, 0);

    ::testing::internal::CaptureStderr();
    for (int tick = 1; tick <= 3; ++tick) {
        MailTick();
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    // Counted before any network activity, and on every tick.
    EXPECT_EQ(Label(), "0/3");
    EXPECT_FALSE(page().ReportInFlight());
    EXPECT_EQ(page().LastFailure(), "请填写smtp服务器地址!");
    const std::string note = "2023-11-14 22:13:20 mail report failed: 请填写smtp服务器地址! (fill "
                             "in the SMTP server address)";
    EXPECT_EQ(Tooltip(), note);
    EXPECT_NE(errors.find(": " + note + "\n"), std::string::npos) << errors;
}

TEST_F(EmailPageTest, PeriodicRowReportsEveryFifthTickWhileReadingOnceASampleExists) {
    ASSERT_NO_FATAL_FAILURE(StartMailServer());
    StoredRow row;
    row.interval = 5;
    StartWith({row});
    auto ticks = [this](int count) {
        std::vector<std::size_t> stored;
        for (int tick = 0; tick < count; ++tick) {
            MailTick();
            stored.push_back(StoredMessages());
        }
        return stored;
    };
    using Counts = std::vector<std::size_t>;
    EXPECT_EQ(ticks(5), (Counts{0, 0, 0, 0, 0})) << "the fifth tick is due, but no sample yet";
    EXPECT_EQ(page().attempts, 0);

    ASSERT_NO_FATAL_FAILURE(TakeSample());
    EXPECT_EQ(ticks(10), (Counts{0, 0, 0, 0, 1, 1, 1, 1, 1, 2}));
    EXPECT_EQ(Label(), "2/2");

    Click(*window, mainwindow::stopId);
    EXPECT_EQ(ticks(5), (Counts{2, 2, 2, 2, 2})) << "\"Stop\" sends nothing";
    EXPECT_EQ(page().attempts, 2);

    Click(*window, readingId);
    EXPECT_EQ(ticks(5), (Counts{2, 2, 2, 2, 3}));
    EXPECT_EQ(Label(), "3/3");
    EXPECT_EQ(Stored(3, "summary").find("subject=Lab :Inner=21.50\n") != std::string::npos, true)
        << Stored(3, "summary");
}

TEST_F(EmailPageTest, AlarmRowReportsOnlyOutsideItsBandAndTheRadioNamesTheReport) {
    ASSERT_NO_FATAL_FAILURE(StartMailServer());
    StoredRow row;
    row.periodic = false;
    StartWith({row});
    std::string text;
    for (double value : {30.00, 10.00, 30.01, 9.99, 20.0}) {
        page().CheckAndSend(text, value, 0);
        page().WaitForReport();
    }
    ASSERT_EQ(StoredMessages(), 2U);
    EXPECT_NE(Stored(1, "summary").find("subject=LabAlarm:Inner=30.01\n"), std::string::npos);
    EXPECT_NE(Stored(2, "summary").find("subject=LabAlarm:Inner=9.99\n"), std::string::npos);
    EXPECT_EQ(Label(), "2/2");

    // "Seariate" clicked without "Apply": the stored flag still decides, the
    // radio names the report.
    Click(page(), seariateId);
    page().CheckAndSend(text, 20.0, 0);
    page().WaitForReport();
    EXPECT_EQ(StoredMessages(), 2U);
    page().CheckAndSend(text, 35.0, 0);
    page().WaitForReport();
    ASSERT_EQ(StoredMessages(), 3U);
    EXPECT_NE(Stored(3, "summary").find("subject=Lab :Inner=35.00\n"), std::string::npos);
}

// With BackInBandNotice=1 an alarm row tells once that the value is back,
// on the first due tick inside its band; without it nothing differs.
TEST_F(EmailPageTest, AlarmRowSendsOneClearReportOnceBackInItsBand) {
    ASSERT_NO_FATAL_FAILURE(StartMailServer());
    StoredRow row;
    row.periodic = false;
    StartWith({row});
    std::string text;
    auto tick = [&](double value) {
        page().CheckAndSend(text, value, 0);
        page().WaitForReport();
    };
    tick(31.0);
    tick(25.0);
    ASSERT_EQ(StoredMessages(), 1U) << "a clear without BackInBandNotice";

    window->extensions.backInBandNotice = true;
    for (double value : {31.0, 25.0, 25.0, 32.0, 9.0, 20.0}) {
        tick(value);
    }
    std::vector<std::string> subjects;
    for (std::size_t number = 1; number <= StoredMessages(); ++number) {
        const std::string summary = Stored(number, "summary");
        const std::size_t start = summary.find("subject=") + 8;
        subjects.push_back(summary.substr(start, summary.find('\n', start) - start));
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"LabAlarm:Inner=31.00", "LabAlarm:Inner=31.00",
                                                  "LabClear:Inner=25.00", "LabAlarm:Inner=32.00",
                                                  "LabAlarm:Inner=9.00", "LabClear:Inner=20.00"}));
    EXPECT_NE(Stored(3, "part-1").find("HIDKelvo Clear:Inner=25.00 "), std::string::npos);
    EXPECT_EQ(Label(), "6/6");
}

// The [Extensions] mail settings reach the exchange: TLS from the first
// byte to the port set there, trusting the authority set there.
TEST_F(EmailPageTest, ReportGoesOverTlsAsTheExtensionsSay) {
    std::filesystem::create_directory(folder / "stored");
    const test::TestCertificates files = test::MakeTestCertificates(folder.Path());
    ASSERT_FALSE(files.authority.empty());
    mailServer = std::make_unique<test::AiosmtpdServer>(
        folder / "stored", "kelvo", "secret", "127.0.0.1", 0,
        test::AiosmtpdSecurity{"tls", files.certificate, files.key});
    ASSERT_NE(mailServer->Port(), 0);
    StoredRow row;
    row.server = "localhost";
    row.periodic = false;
    StartWith({row});
    window->extensions.mailSecurity = MailSecurity::Tls;
    window->extensions.mailPort = mailServer->Port();
    window->extensions.mailCAFile = files.authority.string();
    std::string text;
    page().CheckAndSend(text, 31.0, 0);
    page().WaitForReport();
    EXPECT_EQ(page().LastFailure(), "");
    ASSERT_EQ(StoredMessages(), 1U);
    mailServer.reset();
    EXPECT_EQ(ReadFile(folder / "stored-commands"), "EHLO\nAUTH tls\nMAIL\nQUIT\n");
}

TEST_F(EmailPageTest, ReportReachesARealServerAndTheLabelAndTooltipTellTheStory) {
    ASSERT_NO_FATAL_FAILURE(StartMailServer());
    StartWith({StoredRow{}});
    ASSERT_NO_FATAL_FAILURE(TakeSample());
    ::testing::internal::CaptureStderr();

    MailTick();
    ASSERT_EQ(StoredMessages(), 1U);
    EXPECT_EQ(Label(), "1/1");
    const std::string summary = Stored(1, "summary");
    EXPECT_NE(summary.find("mail_from=monitor@kelvo.test\nrcpt_to=ops@kelvo.test\n"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("from=kelvo<monitor@kelvo.test>\nsubject=Lab :Inner=21.50\n"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("part=text/html;gb2312;\ndefects=0\n"), std::string::npos) << summary;
    EXPECT_EQ(Stored(1, "part-1"), "HIDKelvo  :Inner=21.50 2023-11-14 22:13:20\r\n");
    EXPECT_EQ(Tooltip(), "");

    // A wrong password passes the login; the server refuses the mail.
    page().SetDlgItemText(passwordId, "wrong");
    Click(page(), applyId);
    MailTick();
    EXPECT_EQ(StoredMessages(), 1U);
    EXPECT_EQ(Label(), "1/2");

    page().SetDlgItemText(passwordId, "secret");
    Click(page(), applyId);
    MailTick();
    EXPECT_EQ(StoredMessages(), 2U);
    EXPECT_EQ(Label(), "2/3");
    const std::string note =
        "2023-11-14 22:13:20 mail report failed: 邮件发送失败! (sending the mail failed)";
    EXPECT_EQ(Tooltip(), note);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find(": " + note + "\n"), std::string::npos) << errors;
    const std::string metrics = window->metrics.ExpositionText();
    EXPECT_NE(metrics.find("\nkelvo_mail_reports_total{result=\"sent\"} 2\n"), std::string::npos)
        << metrics;
    EXPECT_NE(metrics.find("\nkelvo_mail_reports_total{result=\"failed\"} 1\n"), std::string::npos)
        << metrics;
}

TEST_F(EmailPageTest, SilentServerHoldsNeitherTheWindowNorSamplingAndADueReportIsSkipped) {
    SilentServer silent("127.0.0.2");
    ASSERT_TRUE(silent.Listens());
    StoredRow row;
    row.server = "127.0.0.2";
    StartWith({row});
    ASSERT_NO_FATAL_FAILURE(TakeSample());

    window->OnTimer(mailTimerId);
    ASSERT_TRUE(page().ReportInFlight());
    // The tick returned while the server says nothing: the window goes on.
    const int readingsBefore = Readings();
    for (int tick = 0; tick < 4; ++tick) {
        Tick(readTimerId);
    }
    EXPECT_EQ(Readings(), readingsBefore + 2);
    EXPECT_TRUE(page().ReportInFlight());

    window->OnTimer(mailTimerId);
    EXPECT_TRUE(page().ReportInFlight());
    EXPECT_EQ(page().attempts, 0);

    ASSERT_TRUE(silent.HangUp());
    page().WaitForReport();
    EXPECT_FALSE(page().ReportInFlight());
    EXPECT_EQ(Label(), "0/1") << "the report that fell due meanwhile is not counted";
    EXPECT_EQ(page().LastFailure(), "连接服务器失败!");
}

TEST_F(EmailPageTest, ClosingWaitsForTheReportInFlightNoLongerThanItsTimeOut) {
    SilentServer silent("127.0.0.3");
    ASSERT_TRUE(silent.Listens());
    StoredRow row;
    row.server = "127.0.0.3";
    StartWith({row});
    page().smtpTimeout = 200ms;
    ASSERT_NO_FATAL_FAILURE(TakeSample());
    window->OnTimer(mailTimerId);
    ASSERT_TRUE(page().ReportInFlight());

    ::testing::internal::CaptureStderr();
    window->OnClose();
    window.reset();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(
        errors.find("mail report failed: 连接服务器失败! (connecting to the server failed)\n"),
        std::string::npos)
        << errors;
}

} // namespace
} // namespace kelvo
