#include "monitor/mail/OpenSslChannel.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <memory>

namespace kelvo {
namespace {

// OpenSSL writes to the socket with write(2), which raises SIGPIPE when the
// server has hung up; that must be an error of the exchange, not the end of
// the program. The signal is held for this thread while OpenSSL writes and
// any such signal is taken off it again.
class HeldBrokenPipe {
public:
    HeldBrokenPipe() {
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    }
    ~HeldBrokenPipe() {
        if (!alreadyPending) {
            const timespec noWait{0, 0};
            while (sigtimedwait(&pipeOnly, nullptr, &noWait) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    HeldBrokenPipe(const HeldBrokenPipe&) = delete;
    HeldBrokenPipe& operator=(const HeldBrokenPipe&) = delete;

private:
    sigset_t pipeOnly;
    sigset_t previous;
    bool alreadyPending = false;
};

std::string QueuedErrors() {
    std::string text;
    while (const unsigned long error = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(error, buffer, sizeof buffer);
        if (!text.empty()) {
            text += "; ";
        }
        text += buffer;
    }
    return text;
}

} // namespace

// The mail library's channel; a program that links the TLS module's loader
// gets the module's instead.
std::unique_ptr<TlsChannel> NewTlsChannel() {
    return std::make_unique<OpenSslChannel>();
}

OpenSslChannel::~OpenSslChannel() {
    End();
}

bool OpenSslChannel::Begin(int descriptor, const std::string& host, const std::string& caFile) {
    End();
    problem.clear();
    ERR_clear_error();
    context = SSL_CTX_new(TLS_client_method());
    if (context == nullptr) {
        problem = "TLS cannot be set up: " + QueuedErrors();
        return false;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    const bool trusted = caFile.empty()
                             ? SSL_CTX_set_default_verify_paths(context) == 1
                             : SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr) == 1;
    if (!trusted) {
        problem = (caFile.empty() ? std::string("the system's trust store")
                                  : "the authorities in " + caFile) +
                  " cannot be read: " + QueuedErrors();
        End();
        return false;
    }
    session = SSL_new(context);
    if (session == nullptr || SSL_set_fd(session, descriptor) != 1) {
        problem = "TLS cannot be set up: " + QueuedErrors();
        End();
        return false;
    }
    in_addr address{};
    bool named = false;
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) {
        named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session), host.c_str()) == 1;
    } else {
        // The name the certificate must hold, and the one the server is told
        // (SNI), so that a server with several names shows the right one.
        SSL_set_hostflags(session, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        named = SSL_set1_host(session, host.c_str()) == 1 &&
                SSL_set_tlsext_host_name(session, host.c_str()) == 1;
    }
    if (!named) {
        problem = "the server name \"" + host + "\" cannot be checked: " + QueuedErrors();
        End();
        return false;
    }
    SSL_set_connect_state(session);
    return true;
}

TlsChannel::Step OpenSslChannel::Handshake() {
    if (session == nullptr) {
        return Step::Failed;
    }
    ERR_clear_error();
    HeldBrokenPipe held;
    return Outcome(SSL_do_handshake(session));
}

TlsChannel::Step OpenSslChannel::Write(std::string_view bytes, std::size_t& written) {
    written = 0;
    if (session == nullptr) {
        return Step::Failed;
    }
    ERR_clear_error();
    HeldBrokenPipe held;
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    const int result = SSL_write(session, bytes.data(), size);
    if (result > 0) {
        written = static_cast<std::size_t>(result);
        return Step::Done;
    }
    return Outcome(result);
}

TlsChannel::Step OpenSslChannel::Read(char* into, std::size_t most, std::size_t& count) {
    count = 0;
    if (session == nullptr) {
        return Step::Failed;
    }
    ERR_clear_error();
    HeldBrokenPipe held;
    const int size = static_cast<int>(std::min<std::size_t>(most, INT_MAX));
    const int result = SSL_read(session, into, size);
    if (result > 0) {
        count = static_cast<std::size_t>(result);
        return Step::Done;
    }
    if (SSL_get_error(session, result) == SSL_ERROR_ZERO_RETURN) {
        return Step::Done; // the server closed the session in order
    }
    return Outcome(result);
}

TlsChannel::Step OpenSslChannel::Outcome(int result) {
    if (result > 0) {
        return Step::Done;
    }
    const int error = SSL_get_error(session, result);
    if (error == SSL_ERROR_WANT_READ) {
        return Step::WantRead;
    }
    if (error == SSL_ERROR_WANT_WRITE) {
        return Step::WantWrite;
    }
    const long verification = SSL_get_verify_result(session);
    if (verification != X509_V_OK) {
        problem = std::string("the server's certificate is refused: ") +
                  X509_verify_cert_error_string(verification);
    } else if (std::string queued = QueuedErrors(); !queued.empty()) {
        problem = "TLS failed: " + queued;
    } else if (error == SSL_ERROR_SYSCALL) {
        problem = errno != 0 ? std::string("TLS failed: ") + std::strerror(errno)
                             : "TLS failed: the server closed the connection";
    } else {
        problem = "TLS failed";
    }
    return Step::Failed;
}

void OpenSslChannel::End() {
    if (session != nullptr) {
        HeldBrokenPipe held;
        // One close notice if the session got that far; no wait for the answer.
        if (SSL_is_init_finished(session)) {
            SSL_shutdown(session);
        }
        SSL_free(session);
        session = nullptr;
    }
    if (context != nullptr) {
        SSL_CTX_free(context);
        context = nullptr;
    }
    ERR_clear_error();
}

} // namespace kelvo
