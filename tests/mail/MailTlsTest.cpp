// Reports over TLS against aiosmtpd with STARTTLS and with TLS from the first
// byte, under a private authority the test makes: the mail arrives when the
// certificate is right, and the password never leaves in clear when it is not.
#include "monitor/mail/SendingPolicy.h"
#include "tests/mail/AiosmtpdServer.h"
#include "tests/mail/TestCertificates.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using testing::TemporaryDirectory;

constexpr char connectFailed[] = "连接服务器失败!";
constexpr char loginFailed[] = "用户名或密码失败!";

Report SampleReport(const std::string& server) {
    Report report;
    report.server = server;
    report.sender = "monitor@kelvo.test";
    report.userName = "kelvo";
    report.password = "secret";
    report.recipients = "ops@kelvo.test";
    report.subject = "Lab Alarm:Inner=31.25";
    report.body = "HIDKelvo Alarm:Inner=31.25 2026-12-10 11:05:00";
    return report;
}

class MailTls : public ::testing::Test {
protected:
    // Starts aiosmtpd in mode with a certificate made as asked.
    void Serve(const std::string& mode, const test::ServerCertificate& certificate = {}) {
        std::filesystem::create_directory(directory / "stored");
        files = test::MakeTestCertificates(directory.Path(), certificate);
        ASSERT_FALSE(files.authority.empty()) << "no certificates";
        server = std::make_unique<test::AiosmtpdServer>(
            directory / "stored", "kelvo", "secret", "127.0.0.1", 0,
            test::AiosmtpdSecurity{mode, files.certificate, files.key});
        ASSERT_NE(server->Port(), 0) << "aiosmtpd did not start";
    }

    std::string Deliver(MailSecurity security, const std::string& host = "localhost",
                        bool trustAuthority = true) {
        const MailTransport transport{security,
                                      trustAuthority ? files.authority.string() : std::string()};
        return DeliverReport(SampleReport(host), server->Port(), 10s, transport, &detail);
    }

    // The server's log of command verbs, read once it has ended.
    std::string Commands() {
        server.reset();
        return TemporaryDirectory::ReadFile(directory / "stored-commands");
    }
    std::string StoredSubject() const {
        const std::string summary = TemporaryDirectory::ReadFile(directory / "stored/1/summary");
        const std::size_t start = summary.find("subject=");
        return start == std::string::npos
                   ? ""
                   : summary.substr(start + 8, summary.find('\n', start) - start - 8);
    }

    TemporaryDirectory directory;
    test::TestCertificates files;
    std::unique_ptr<test::AiosmtpdServer> server;
    std::string detail;
};

TEST_F(MailTls, StartTlsSecuresTheSessionBeforeTheLogin) {
    Serve("starttls");
    EXPECT_EQ(Deliver(MailSecurity::StartTls), "");
    EXPECT_EQ(StoredSubject(), "Lab Alarm:Inner=31.25");
    EXPECT_EQ(Commands(), "EHLO\nSTARTTLS\nEHLO\nAUTH tls\nMAIL\nQUIT\n");
}

TEST_F(MailTls, TlsFromTheFirstByteToAnAddress) {
    Serve("tls");
    EXPECT_EQ(Deliver(MailSecurity::Tls, "127.0.0.1"), "");
    EXPECT_EQ(StoredSubject(), "Lab Alarm:Inner=31.25");
    EXPECT_EQ(Commands(), "EHLO\nAUTH tls\nMAIL\nQUIT\n");
}

struct Refusal {
    const char* name;
    const char* mode;
    test::ServerCertificate certificate;
    MailSecurity security;
    bool trustAuthority;
    const char* failure;
    const char* detail; // a part of what the failure note tells
};

class MailTlsRefusal : public MailTls, public ::testing::WithParamInterface<Refusal> {};

TEST_P(MailTlsRefusal, FailsWithoutSendingThePassword) {
    const Refusal& refusal = GetParam();
    Serve(refusal.mode, refusal.certificate);
    EXPECT_EQ(Deliver(refusal.security, "localhost", refusal.trustAuthority), refusal.failure);
    EXPECT_NE(detail.find(refusal.detail), std::string::npos) << detail;
    const std::string commands = Commands();
    EXPECT_EQ(commands.find("AUTH"), std::string::npos) << commands;
    EXPECT_FALSE(std::filesystem::exists(directory / "stored/1"));
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, MailTlsRefusal,
    ::testing::Values(
        Refusal{"AnotherHostName",
                "starttls",
                {"DNS:mail.elsewhere.test", false},
                MailSecurity::StartTls,
                true,
                connectFailed,
                "hostname mismatch"},
        Refusal{"Expired",
                "tls",
                {"DNS:localhost", true},
                MailSecurity::Tls,
                true,
                connectFailed,
                "expired"},
        Refusal{"UnknownAuthority",
                "starttls",
                {},
                MailSecurity::StartTls,
                false,
                connectFailed,
                "certificate"},
        Refusal{"NoStartTlsOffered",
                "none",
                {},
                MailSecurity::StartTls,
                true,
                loginFailed,
                "does not offer STARTTLS"},
        Refusal{"ClearServerForTls", "none", {}, MailSecurity::Tls, true, connectFailed, "TLS"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.name; });

} // namespace
} // namespace kelvo
