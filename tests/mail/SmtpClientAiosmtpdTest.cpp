// The SMTP client against a real server, aiosmtpd on the loopback interface,
// whose stored messages Python's email package parses.
#include "monitor/mail/SmtpClient.h"
#include "tests/mail/MailTestBytes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using test::MailTestBytes;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The server script as a child process, stopped by closing its standard input.
class Aiosmtpd {
public:
    Aiosmtpd(const std::filesystem::path& out, const std::string& user,
             const std::string& password) {
        int input[2];
        int output[2];
        if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        const std::string script = KELVO_MAIL_TEST_DIR "/smtp_test_server.py";
        // Debian's interpreter: the one that has aiosmtpd, whatever comes first on PATH.
        const char* python = "/usr/bin/python3";
        std::string outText = out.string();
        std::vector<char*> arguments = {
            const_cast<char*>(python),       const_cast<char*>(script.c_str()),   outText.data(),
            const_cast<char*>(user.c_str()), const_cast<char*>(password.c_str()), nullptr};
        const int spawned =
            posix_spawn(&process, python, &actions, nullptr, arguments.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        stdinOfServer = input[1];
        if (spawned != 0) {
            process = -1;
            close(output[0]);
            return;
        }
        port = ReadPort(output[0]);
        close(output[0]);
    }

    ~Aiosmtpd() {
        if (stdinOfServer >= 0) {
            close(stdinOfServer);
        }
        if (process > 0) {
            int status = 0;
            waitpid(process, &status, 0);
        }
    }

    // 0 when the server did not come up.
    int Port() const { return port; }

private:
    // Polls for the "port N" line the server prints once it listens.
    static int ReadPort(int descriptor) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!line.ends_with('\n') && std::chrono::steady_clock::now() < deadline) {
            pollfd entry{descriptor, POLLIN, 0};
            if (poll(&entry, 1, 100) <= 0) {
                continue;
            }
            char byte = 0;
            if (read(descriptor, &byte, 1) != 1) {
                return 0;
            }
            line += byte;
        }
        int port = 0;
        std::istringstream(line).ignore(5) >> port; // after "port "
        return port;
    }

    pid_t process = -1;
    int stdinOfServer = -1;
    int port = 0;
};

class SmtpClientAiosmtpdTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = std::filesystem::temp_directory_path() / "kelvo-aiosmtpd-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = new std::filesystem::path(pattern);
        std::filesystem::create_directory(*folder / "stored");
        server = new Aiosmtpd(*folder / "stored", "kelvo", "secret");
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
    static inline Aiosmtpd* server = nullptr;
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
