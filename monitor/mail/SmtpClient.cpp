#include "monitor/mail/SmtpClient.h"

#include "monitor/mail/MailComposition.h"
#include "monitor/mail/SmtpReply.h"
#include "monitor/mail/ZBase64.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace kelvo {
namespace {

// A multiple of 57 bytes, so that each block encodes to whole lines of 76
// characters and the encoded blocks follow one another without joining.
constexpr std::size_t attachmentBlock = 11400;
constexpr std::size_t receiveChunk = 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens an attachment for reading; a folder opens on Linux but cannot be read.
File OpenAttachment(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    struct stat status {};
    if (file && (fstat(fileno(file.get()), &status) != 0 || S_ISDIR(status.st_mode))) {
        file.reset();
    }
    return file;
}

} // namespace

SmtpClient::SmtpClient(std::chrono::milliseconds timeout, MailTransport transport)
    : timeout(timeout), transport(std::move(transport)) {}

SmtpClient::~SmtpClient() {
    Close();
}

bool SmtpClient::Connect(const std::string& server, int port) {
    Close();
    // The name goes into the EHLO line as well, so it must not carry a line end.
    if (server.empty() || HoldsLineBreak(server) || server.find('\0') != std::string::npos) {
        return false;
    }
    problem.clear();
    if (!connection.Open(server, port, timeout)) {
        return false;
    }
    if (transport.security == MailSecurity::Tls &&
        !connection.StartTls(server, transport.caFile, timeout)) {
        problem = connection.Problem();
        Close();
        return false;
    }
    if (!ExpectReply("220")) {
        return Fail();
    }
    if (!Send("EHLO " + server + "\r\n")) {
        return false;
    }
    std::string reply;
    if (!ReadReply(reply) || !ReplyHasCode(reply, "250")) {
        return Fail();
    }
    if (transport.security != MailSecurity::StartTls) {
        return true;
    }
    if (!OffersExtension(reply, "STARTTLS")) {
        // Connected, but Login will not send the password in clear.
        problem = "the server does not offer STARTTLS, so the login is not sent";
        return true;
    }
    return UpgradeToTls(server);
}

bool SmtpClient::UpgradeToTls(const std::string& server) {
    if (!Send("STARTTLS\r\n")) {
        return false;
    }
    if (!ExpectReply("220")) {
        problem = "the server refused STARTTLS";
        return Fail();
    }
    // Whatever came in clear after the 220 could have been put there by
    // someone in between; nothing of it may count as the server's.
    received.clear();
    if (!connection.StartTls(server, transport.caFile, timeout)) {
        problem = connection.Problem();
        Close();
        return false;
    }
    if (!Send("EHLO " + server + "\r\n")) {
        return false;
    }
    if (!ExpectReply("250")) {
        return Fail();
    }
    return true;
}

bool SmtpClient::Login(const std::string& user, const std::string& password) {
    if (transport.security != MailSecurity::None && !connection.Secured()) {
        return Fail();
    }
    if (!Send("AUTH LOGIN\r\n")) {
        return false;
    }
    if (!ExpectReply("334")) {
        return Fail();
    }
    if (!Send(ZBase64::Encode(user) + "\r\n")) {
        return false;
    }
    if (!ExpectReply("334")) {
        return Fail();
    }
    if (!Send(ZBase64::Encode(password) + "\r\n")) {
        return false;
    }
    std::string reply;
    if (!ReadReply(reply) || !(ReplyHasCode(reply, "235") || ReplyHasCode(reply, "535"))) {
        return Fail();
    }
    return true;
}

bool SmtpClient::SendMail(const std::string& from, const std::deque<std::string>& recipients,
                          const std::string& name, const std::string& subject,
                          const std::string& body, const std::deque<std::string>& attachments,
                          bool html) {
    // An address with a line end in it would smuggle a command of its own.
    if (from.empty() || recipients.empty() || HoldsLineBreak(from) ||
        std::any_of(recipients.begin(), recipients.end(), HoldsLineBreak)) {
        return Fail();
    }
    // Opened before the envelope, so that a missing file stops the mail before
    // anything of it is sent, and cannot vanish half way through the message.
    std::vector<File> files;
    for (const std::string& path : attachments) {
        files.push_back(OpenAttachment(path));
        if (!files.back()) {
            return Fail();
        }
    }

    if (!Send("MAIL FROM:<" + from + ">\r\n")) {
        return false;
    }
    if (!ExpectReply("250")) {
        return Fail();
    }
    for (const std::string& recipient : recipients) {
        if (!Send("RCPT To:<" + recipient + ">\r\n")) {
            return false;
        }
        if (!ExpectReply("250")) {
            return Fail();
        }
    }
    if (!Send("DATA\r\n")) {
        return false;
    }
    if (!ExpectReply("354")) {
        return Fail();
    }

    if (!Send(HeaderBlock(from, name, subject)) || !Send(TextPart(body, html))) {
        return false;
    }
    for (std::size_t index = 0; index < files.size(); ++index) {
        if (!Send(AttachmentPartHeader(AttachmentName(attachments[index]))) ||
            !SendAttachment(files[index].get())) {
            // Inside the message data a "QUIT" would be taken as text; closing
            // before the message end makes the server drop the partial message.
            Close();
            return false;
        }
        files[index].reset();
    }
    if (!Send(MessageEnd())) {
        return false;
    }

    if (!ExpectReply("250")) {
        return Fail();
    }
    if (!Send("QUIT\r\n")) {
        return false;
    }
    const bool closedPolitely = ExpectReply("221");
    Close();
    return closedPolitely;
}

bool SmtpClient::SendAttachment(std::FILE* file) {
    std::array<unsigned char, attachmentBlock> block;
    for (;;) {
        const std::size_t count = std::fread(block.data(), 1, block.size(), file);
        if (std::ferror(file)) {
            return false;
        }
        const auto bytes = std::string_view(reinterpret_cast<const char*>(block.data()), count);
        if (count == block.size()) {
            // Whole lines, each ending in CR LF already.
            if (!Send(ZBase64::Encode(bytes))) {
                return false;
            }
            continue;
        }
        // A file whose size is a multiple of the block gets no final piece.
        return count == 0 || Send(ZBase64::Encode(bytes) + "\r\n\r\n");
    }
}

bool SmtpClient::ExpectReply(std::string_view code) {
    std::string reply;
    return ReadReply(reply) && ReplyHasCode(reply, code);
}

bool SmtpClient::ReadReply(std::string& reply) {
    const auto deadline = TcpConnection::Clock::now() + timeout;
    for (;;) {
        if (const std::size_t length = WholeReplyLength(received); length > 0) {
            reply = received.substr(0, length);
            received.erase(0, length);
            return true;
        }
        if (received.size() >= replySizeLimit) {
            return false;
        }
        const std::size_t room = std::min(receiveChunk, replySizeLimit - received.size());
        if (connection.Receive(received, room, deadline) != TcpConnection::Received::Bytes) {
            return false;
        }
    }
}

bool SmtpClient::Send(std::string_view piece) {
    if (!connection.SendAll(piece, timeout)) {
        Close();
        return false;
    }
    return true;
}

bool SmtpClient::Fail() {
    if (connection.Stands()) {
        connection.SendAll("QUIT\r\n", timeout);
    }
    Close();
    return false;
}

void SmtpClient::Close() {
    connection.Close();
    received.clear();
}

} // namespace kelvo
