#pragma once

#include "monitor/mail/MailSecurity.h"
#include "monitor/mail/TcpConnection.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>

namespace kelvo {

// Sends one e-mail through an SMTP server that wants "AUTH LOGIN": Connect,
// Login and SendMail, in that order, on one client that is then discarded.
// Blocking; every wait is bounded by the time-out. After any failure the client
// says "QUIT" while the connection still stands, and closes it.
class SmtpClient {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{30000};
    // Bounds one reply, however many lines it has.
    static constexpr std::size_t replySizeLimit = 65536;

    explicit SmtpClient(std::chrono::milliseconds timeout = defaultTimeout,
                        MailTransport transport = {});
    virtual ~SmtpClient();
    SmtpClient(const SmtpClient&) = delete;
    SmtpClient& operator=(const SmtpClient&) = delete;

    // Connects to the server (host name or dotted address, IPv4), expects its
    // 220 greeting and a 250 answer to "EHLO " + server. With TLS the
    // handshake comes first; with STARTTLS, when the server offers it, the
    // client sends "STARTTLS", expects 220, makes the handshake and says EHLO
    // again. Either way the server's certificate must name the server.
    bool Connect(const std::string& server, int port);

    // "AUTH LOGIN" with the user name and password in Base64. The server's
    // answer to the password passes with 235 and also with 535: a refused
    // login then fails at "MAIL FROM". With STARTTLS on a server that did not
    // offer it, false before anything of the login is sent.
    bool Login(const std::string& user, const std::string& password);

    // Sends the envelope and the message (text part, then each attachment file
    // in Base64), then "QUIT"; true when the message was accepted with 250 and
    // QUIT answered with 221. Closes the connection in every case. An empty
    // sender or recipient list, an address holding CR or LF, or an attachment
    // that cannot be opened gives false before any mail command is sent.
    bool SendMail(const std::string& from, const std::deque<std::string>& recipients,
                  const std::string& name, const std::string& subject, const std::string& body,
                  const std::deque<std::string>& attachments, bool html);

    // Reads the next whole reply; true when it begins with the three-character code.
    bool ExpectReply(std::string_view code);

    // Shuts the connection down both ways and closes it.
    void Close();

    // Why the exchange could not be secured, when it could not; empty otherwise.
    const std::string& Problem() const { return problem; }

private:
    // Sends one piece whole; a failed send closes the connection.
    bool Send(std::string_view piece);
    // Takes the next whole reply off the connection.
    bool ReadReply(std::string& reply);
    // Ends a failed exchange: "QUIT" while the connection stands, then closes.
    bool Fail();
    // Streams one open attachment in blocks that encode to whole Base64 lines.
    bool SendAttachment(std::FILE* file);

    // STARTTLS, then EHLO again; false when any step fails.
    bool UpgradeToTls(const std::string& server);

    std::chrono::milliseconds timeout;
    MailTransport transport;
    TcpConnection connection;
    std::string problem;
    // Bytes received beyond the reply taken last.
    std::string received;
};

} // namespace kelvo
