#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace kelvo::test {

// tests/mail/smtp_test_server.py as a child process: aiosmtpd with one account,
// storing every message it accepts (and what Python's email package makes of
// it) under `out`. Stopped by closing its standard input.
// How the server protects its sessions: in clear, STARTTLS or TLS from the
// first byte, with the certificate chain and key in PEM files.
struct AiosmtpdSecurity {
    std::string mode = "none"; // "none", "starttls" or "tls"
    std::filesystem::path certificate;
    std::filesystem::path key;
};

class AiosmtpdServer {
public:
    // Port 0 takes a free port. A fixed port that another test holds is tried
    // again for a while.
    AiosmtpdServer(const std::filesystem::path& out, const std::string& user,
                   const std::string& password, const std::string& host = "127.0.0.1", int port = 0,
                   const AiosmtpdSecurity& security = {});
    ~AiosmtpdServer();
    AiosmtpdServer(const AiosmtpdServer&) = delete;
    AiosmtpdServer& operator=(const AiosmtpdServer&) = delete;

    // 0 when the server did not come up.
    int Port() const { return port; }

private:
    pid_t process = -1;
    int stdinOfServer = -1;
    int port = 0;
};

} // namespace kelvo::test
