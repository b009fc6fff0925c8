// The SMTP client against a real server, aiosmtpd on the loopback interface,
// whose stored messages Python's email package parses.
#include "monitor/mail/SmtpClient.h"
#include "tests/mail/AiosmtpdServer.h"
#include "tests/mail/MailTestBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using test::MailTestBytes;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class SmtpClientAiosmtpdTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = std::filesystem::temp_directory_path() / "kelvo-aiosmtpd-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = new std::filesystem::path(pattern);
        std::filesystem::create_directory(*folder / "stored");
        server = new test::AiosmtpdServer(*folder / "stored", "kelvo", "secret");
    }

    static void TearDownTestSuite() {
        delete server;
        std::filesystem::remove_all(*folder);
        delete folder;
    }

    void SetUp() override { ASSERT_NE(server->Port(), 0) << "aiosmtpd did not start"; }

    static std::size_t StoredMessages() {
        const std::filesystem::directory_iterator entries(*folder / "stored");
        return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
    }

    static inline std::filesystem::path* folder = nullptr;
    static inline test::AiosmtpdServer* server = nullptr;
};

TEST_F(SmtpClientAiosmtpdTest, ReportWithTwoRecipientsAndTwoAttachmentsArrivesWhole) {
    const std::string block = MailTestBytes(11400, 1);
    const std::string blockAndOne = MailTestBytes(11401, 2);
    std::ofstream(*folder / "block.bin", std::ios::binary) << block;
    std::ofstream(*folder / "block-and-one.bin", std::ios::binary) << blockAndOne;
    // GB2312 text as the page sends it, and a body line "." that must not end the data.
    const std::string body = "HIDKelvo Alarm:Inner=31.25 \xce\xc2\xb6\xc8\r\n.\r\nend";
    const std::size_t before = StoredMessages();

    SmtpClient client(10s);
    ASSERT_TRUE(client.Connect("127.0.0.1", server->Port()));
    ASSERT_TRUE(client.Login("kelvo", "secret"));
    ASSERT_TRUE(client.SendMail("monitor@kelvo.test", {"ops@kelvo.test", "lab@kelvo.test"}, "Kelvo",
                                "Lab Alarm:Inner=31.25", body,
                                {*folder / "block.bin", *folder / "block-and-one.bin"}, true));

    ASSERT_EQ(StoredMessages(), before + 1);
    const auto stored = *folder / "stored" / std::to_string(before + 1);
    EXPECT_EQ(ReadFile(stored / "summary"), "mail_from=monitor@kelvo.test\n"
                                            "rcpt_to=ops@kelvo.test\n"
                                            "rcpt_to=lab@kelvo.test\n"
                                            "from=Kelvo<monitor@kelvo.test>\n"
                                            "subject=Lab Alarm:Inner=31.25\n"
                                            "x-mailer=Email:monitor@kelvo.example.com\n"
                                            "type=multipart/mixed\n"
                                            "part=text/html;gb2312;\n"
                                            "part=application/octet-stream;;block.bin\n"
                                            "part=application/octet-stream;;block-and-one.bin\n"
                                            "defects=0\n");
    // The line end before a boundary belongs to the boundary.
    EXPECT_EQ(ReadFile(stored / "part-1"), body + "\r\n");
    EXPECT_EQ(ReadFile(stored / "part-2"), block);
    EXPECT_EQ(ReadFile(stored / "part-3"), blockAndOne);
}

TEST_F(SmtpClientAiosmtpdTest, WrongPasswordPassesLoginButTheMailIsRefused) {
    const std::size_t before = StoredMessages();
    SmtpClient client(10s);
    ASSERT_TRUE(client.Connect("127.0.0.1", server->Port()));
    EXPECT_TRUE(client.Login("kelvo", "wrong"));
    EXPECT_FALSE(client.SendMail("monitor@kelvo.test", {"ops@kelvo.test"}, "Kelvo", "Lab", "body",
                                 {}, true));
    EXPECT_EQ(StoredMessages(), before);
}

} // namespace
} // namespace kelvo
