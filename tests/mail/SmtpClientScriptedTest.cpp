// The SMTP client against a scripted loopback server: what it sends, byte for
// byte, and what it makes of each reply.
#include "monitor/mail/SmtpClient.h"
#include "monitor/mail/ZBase64.h"
#include "tests/mail/MailTestBytes.h"
#include "tests/mail/ScriptedSmtpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using test::MailTestBytes;
using test::ScriptedSmtpServer;
using test::ScriptStep;

ScriptStep Greeting(std::string reply) {
    return {"", {std::move(reply)}};
}
ScriptStep Reply(std::string reply) {
    return {"\r\n", {std::move(reply)}};
}
ScriptStep MessageReply(std::string reply) {
    return {"\r\n.\r\n", {std::move(reply)}};
}

std::vector<ScriptStep> operator+(std::vector<ScriptStep> front,
                                  const std::vector<ScriptStep>& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

// The replies of a server that accepts everything, turn by turn.
const std::vector<ScriptStep> greeted = {Greeting("220 kelvo.test ESMTP\r\n"),
                                         Reply("250-kelvo.test\r\n250 AUTH LOGIN\r\n")};
const std::vector<ScriptStep> loggedIn = {Reply("334 VXNlcm5hbWU6\r\n"),
                                          Reply("334 UGFzc3dvcmQ6\r\n"), Reply("235 OK\r\n")};
const std::vector<ScriptStep> accepted = {Reply("250 OK\r\n"), Reply("250 OK\r\n"),
                                          Reply("354 Go on\r\n"), MessageReply("250 Queued\r\n"),
                                          Reply("221 Bye\r\n")};

// What the client sends, piece by piece, for the mail below.
const std::string ehlo = "EHLO 127.0.0.1\r\n";
const std::string authLogin = "AUTH LOGIN\r\n";
const std::string userLine = "a2Vsdm8=\r\n";     // "kelvo"
const std::string passwordLine = "c2VjcmV0\r\n"; // "secret"
const std::string mailFrom = "MAIL FROM:<monitor@kelvo.test>\r\n";
const std::string rcptTo = "RCPT To:<ops@kelvo.test>\r\n";
const std::string data = "DATA\r\n";
const std::string headers = "From:Kelvo<monitor@kelvo.test>\r\n"
                            "Subject:Lab Alarm:Inner=31.25\r\n"
                            "MIME-Version:1.0\r\n"
                            "X-Mailer:Email:monitor@kelvo.example.com\r\n"
                            "MIME-Version:1.0\r\n"
                            "Content-type:multipart/mixed;Boundary=zorvak\r\n\r\n";
const std::string textPart = "--zorvak\r\n"
                             "Content-type:text/html;Charset=gb2312\r\n"
                             "Content-Transfer-Encoding:8bit\r\n\r\n"
                             "HIDKelvo Alarm:Inner=31.25 2026-12-09 23:00:00\r\n\r\n";
const std::string messageEnd = "--zorvak--\r\n.\r\n";
const std::string quit = "QUIT\r\n";
const std::string loginTranscript = ehlo + authLogin + userLine + passwordLine;
const std::string wholeTranscript =
    loginTranscript + mailFrom + rcptTo + data + headers + textPart + messageEnd + quit;

struct Mail {
    std::string user = "kelvo";
    std::string password = "secret";
    std::string from = "monitor@kelvo.test";
    std::deque<std::string> recipients = {"ops@kelvo.test"};
    std::string name = "Kelvo";
    std::string subject = "Lab Alarm:Inner=31.25";
    std::string body = "HIDKelvo Alarm:Inner=31.25 2026-12-09 23:00:00";
    // Attachment names within the test's folder, and the files to create there.
    std::deque<std::string> attachments;
    std::vector<std::pair<std::string, std::size_t>> files;
};

enum class Stage { Connect, Login, SendMail, None };

struct ScriptedCase {
    std::string name;
    std::vector<ScriptStep> script;
    Mail mail;
    Stage failsAt;
    std::optional<std::string> transcript; // none: not predictable
    bool hangUp = false;
    // Short only where the client has to give up waiting.
    std::chrono::milliseconds timeout = 5s;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ScriptedCase& example, std::ostream* out) {
    *out << example.name;
}

// Runs the calls as the e-mail page does: in order, stopping at the first false.
Stage RunAsThePage(SmtpClient& client, int port, const Mail& mail,
                   const std::filesystem::path& folder) {
    std::deque<std::string> attachments;
    for (const std::string& name : mail.attachments) {
        attachments.push_back(folder / name);
    }
    if (!client.Connect("127.0.0.1", port)) {
        return Stage::Connect;
    }
    if (!client.Login(mail.user, mail.password)) {
        return Stage::Login;
    }
    if (!client.SendMail(mail.from, mail.recipients, mail.name, mail.subject, mail.body,
                         attachments, true)) {
        return Stage::SendMail;
    }
    return Stage::None;
}

std::vector<ScriptedCase> Cases() {
    std::vector<ScriptedCase> cases;

    cases.push_back({"Greeting554", {Greeting("554 No service\r\n")}, {}, Stage::Connect, quit});
    cases.push_back({"EhloRefused",
                     {Greeting("220 kelvo.test\r\n"), Reply("502 Not implemented\r\n")},
                     {},
                     Stage::Connect,
                     ehlo + quit});
    cases.push_back({"SilentServer", {}, {}, Stage::Connect, quit, false, 200ms});
    // A server that closes in the middle of a reply line, at each stage.
    cases.push_back(
        {"ClosesMidGreeting", {{"", {"220 kelvo"}}}, {}, Stage::Connect, std::nullopt, true});
    cases.push_back({"ClosesMidEhloReply",
                     {Greeting("220 kelvo.test\r\n"), {"\r\n", {"250-kelvo.test\r\n250-AU"}}},
                     {},
                     Stage::Connect,
                     std::nullopt,
                     true});
    cases.push_back({"ClosesMidLoginReply",
                     greeted + std::vector{ScriptStep{"\r\n", {"334 VXNl"}}},
                     {},
                     Stage::Login,
                     std::nullopt,
                     true});
    // Something that is no SMTP server: another protocol, or bytes of no text at all.
    cases.push_back({"GarbageGreeting",
                     {Greeting("HTTP/1.1 400 Bad Request\r\n\r\n")},
                     {},
                     Stage::Connect,
                     quit});
    cases.push_back({"BinaryGreeting",
                     {Greeting(std::string("\x00\xff\xfe\x01\r\n\x00", 7))},
                     {},
                     Stage::Connect,
                     std::nullopt,
                     true});
    cases.push_back({"GarbageAfterLogin",
                     greeted + loggedIn + std::vector{Reply("\x7f\x80 what\r\n")},
                     {},
                     Stage::SendMail,
                     loginTranscript + mailFrom + quit});
    // A reply that never ends is cut off at its size limit, not at the time-out.
    std::string endless;
    while (endless.size() <= SmtpClient::replySizeLimit) {
        endless += "250-kelvo.test\r\n";
    }
    cases.push_back({"EndlessEhloReply",
                     {Greeting("220 kelvo.test\r\n"), Reply(endless)},
                     {},
                     Stage::Connect,
                     ehlo + quit});

    // The first piece ends inside a line; the client must wait for the last line.
    cases.push_back({"EhloReplyInTwoPieces",
                     std::vector<ScriptStep>{
                         Greeting("220 kelvo.test\r\n"),
                         {"\r\n", {"250-kelvo.test\r\n250-AU", "TH LOGIN\r\n250 8BITMIME\r\n"}}} +
                         loggedIn + accepted,
                     {},
                     Stage::None,
                     wholeTranscript});

    cases.push_back(
        {"PasswordAnswered501",
         greeted + std::vector{Reply("334 VXNlcm5hbWU6\r\n"), Reply("334 UGFzc3dvcmQ6\r\n"),
                               Reply("501 Cannot decode\r\n")},
         {},
         Stage::Login,
         loginTranscript + quit});
    // A refused password passes the login; the refusal of MAIL ends the send.
    cases.push_back(
        {"PasswordRefused535",
         greeted + std::vector{Reply("334 VXNlcm5hbWU6\r\n"), Reply("334 UGFzc3dvcmQ6\r\n"),
                               Reply("535 Authentication failed\r\n"),
                               Reply("530 Authentication required\r\n")},
         {},
         Stage::SendMail,
         loginTranscript + mailFrom + quit});

    Mail fiftySeven;
    fiftySeven.user = std::string(57, 'u');
    cases.push_back({"UserNameOf57Bytes", greeted + loggedIn + accepted, fiftySeven, Stage::None,
                     ehlo + authLogin + ZBase64::Encode(fiftySeven.user) + "\r\n" + passwordLine +
                         mailFrom + rcptTo + data + headers + textPart + messageEnd + quit});

    Mail two;
    two.recipients = {"ops@kelvo.test", "lab@kelvo.test"};
    cases.push_back(
        {"SecondRecipientRefused",
         greeted + loggedIn +
             std::vector{Reply("250 OK\r\n"), Reply("250 OK\r\n"), Reply("550 No such user\r\n")},
         two, Stage::SendMail,
         loginTranscript + mailFrom + rcptTo + "RCPT To:<lab@kelvo.test>\r\n" + quit});

    // Refused before any mail command: only the farewell follows the login.
    Mail noSender;
    noSender.from = "";
    Mail noRecipients;
    noRecipients.recipients = {};
    Mail smuggledCommand;
    smuggledCommand.recipients = {"ops@kelvo.test>\r\nRCPT To:<spy@elsewhere.test"};
    Mail smuggledSender;
    smuggledSender.from = "monitor@kelvo.test\nRSET";
    Mail missingFile;
    missingFile.attachments = {"missing.csv"};
    for (const auto& [name, mail] : {std::pair{"EmptySender", noSender},
                                     {"EmptyRecipientList", noRecipients},
                                     {"RecipientWithLineBreak", smuggledCommand},
                                     {"SenderWithLineBreak", smuggledSender},
                                     {"MissingAttachment", missingFile}}) {
        cases.push_back({name, greeted + loggedIn, mail, Stage::SendMail, loginTranscript + quit});
    }

    // 11400 bytes are 200 whole lines with no final piece; one byte more adds
    // one group and a blank line. Parts are named after the last "/" or "\".
    Mail attached;
    attached.attachments = {"block.bin", "windows\\block-and-one.bin"};
    attached.files = {{"block.bin", 11400}, {"windows\\block-and-one.bin", 11401}};
    cases.push_back(
        {"AttachmentsOfOneBlockAndOneByteMore", greeted + loggedIn + accepted, attached,
         Stage::None,
         loginTranscript + mailFrom + rcptTo + data + headers + textPart +
             "--zorvak\r\nContent-Type:application/octet-stream;Name=block.bin\r\n"
             "Content-Disposition:attachment;FileName=block.bin\r\n"
             "Content-Transfer-Encoding:Base64\r\n\r\n" +
             ZBase64::Encode(MailTestBytes(11400)) +
             "--zorvak\r\nContent-Type:application/octet-stream;Name=block-and-one.bin\r\n"
             "Content-Disposition:attachment;FileName=block-and-one.bin\r\n"
             "Content-Transfer-Encoding:Base64\r\n\r\n" +
             ZBase64::Encode(MailTestBytes(11400)) +
             ZBase64::Encode(MailTestBytes(11401).substr(11400)) + "\r\n\r\n" + messageEnd + quit});

    // Line breaks cannot start a header of their own, and a body line "." cannot
    // end the message early.
    Mail injected;
    injected.name = "Kel\nvo";
    injected.subject = "Lab\r\nBcc: spy@elsewhere.test";
    injected.body = ".top\r\n.\r\nQUIT";
    cases.push_back({"LineBreaksInHeadersAndDotsInBody", greeted + loggedIn + accepted, injected,
                     Stage::None,
                     loginTranscript + mailFrom + rcptTo + data +
                         "From:Kel vo<monitor@kelvo.test>\r\n"
                         "Subject:Lab  Bcc: spy@elsewhere.test\r\n" +
                         headers.substr(headers.find("MIME")) +
                         "--zorvak\r\n"
                         "Content-type:text/html;Charset=gb2312\r\n"
                         "Content-Transfer-Encoding:8bit\r\n\r\n"
                         "..top\r\n..\r\nQUIT\r\n\r\n" +
                         messageEnd + quit});

    // An accepted message still counts as failed without the farewell.
    cases.push_back(
        {"QuitNotAnswered221",
         greeted + loggedIn +
             std::vector{Reply("250 OK\r\n"), Reply("250 OK\r\n"), Reply("354 Go on\r\n"),
                         MessageReply("250 Queued\r\n"), Reply("500 What?\r\n")},
         {},
         Stage::SendMail,
         wholeTranscript});

    // The client must see an error, not die of a broken pipe.
    Mail large;
    large.attachments = {"large.bin"};
    large.files = {{"large.bin", 40 * 11400}};
    cases.push_back(
        {"ServerHangsUpDuringData",
         greeted + loggedIn +
             std::vector{Reply("250 OK\r\n"), Reply("250 OK\r\n"), Reply("354 Go on\r\n")},
         large, Stage::SendMail, std::nullopt, true});
    return cases;
}

class SmtpClientScriptedTest : public testing::TestWithParam<ScriptedCase> {
protected:
    void SetUp() override {
        std::string pattern = std::filesystem::temp_directory_path() / "kelvo-smtp-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        for (const auto& [name, size] : GetParam().mail.files) {
            std::ofstream(folder / name, std::ios::binary) << MailTestBytes(size);
        }
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
};

TEST_P(SmtpClientScriptedTest, SendsExactlyAndJudgesReplies) {
    const ScriptedCase& example = GetParam();
    ScriptedSmtpServer server(example.script, example.hangUp);
    SmtpClient client(example.timeout);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunAsThePage(client, server.Port(), example.mail, folder), example.failsAt);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (example.timeout < 1s) {
        EXPECT_GE(elapsed, example.timeout);
        EXPECT_LT(elapsed, example.timeout + 3s);
    } else {
        EXPECT_LT(elapsed, example.timeout) << "the client waited for the time-out";
    }

    if (example.transcript) {
        EXPECT_EQ(server.Received(), *example.transcript);
        EXPECT_TRUE(server.ClientHungUp()) << "the client left the connection open";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SmtpClientScriptedTest, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(SmtpClientTest, RefusedConnectionAndBadServerNamesFailAtConnect) {
    // Bound and closed again at once: nobody listens there.
    const int port = [] {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return static_cast<int>(ntohs(address.sin_port));
    }();
    SmtpClient client(1s);
    EXPECT_FALSE(client.Connect("127.0.0.1", port));
    EXPECT_FALSE(client.Connect("", 25));
    EXPECT_FALSE(client.Connect("127.0.0.1\r\nQUIT", 25));
    EXPECT_FALSE(client.Connect("127.0.0.1", 70000));
}

} // namespace
} // namespace kelvo
