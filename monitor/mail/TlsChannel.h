#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct ssl_ctx_st;
struct ssl_st;

namespace kelvo {

// TLS (OpenSSL) over a connected, non-blocking socket. Each step tells what
// the socket must become ready for before the step is tried again; the
// connection does the waiting, under its own deadline.
class TlsChannel {
public:
    enum class Step { Done, WantRead, WantWrite, Failed };

    TlsChannel() = default;
    ~TlsChannel();
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    // Prepares a client session on the socket that accepts only a certificate
    // chain to an authority of caFile (PEM; empty: the system's trust store)
    // naming host (a host name, or a dotted address). False, with the reason
    // in Problem(), when that cannot be set up.
    bool Begin(int descriptor, const std::string& host, const std::string& caFile);

    Step Handshake();
    // Done with written > 0, or the step to wait for.
    Step Write(std::string_view bytes, std::size_t& written);
    // Done with count > 0, or Done with count 0 when the peer closed.
    Step Read(char* into, std::size_t most, std::size_t& count);

    // Says goodbye once without waiting for the answer, and frees the session.
    void End();

    // Why the last step failed, in OpenSSL's words and the certificate check's.
    const std::string& Problem() const { return problem; }

private:
    Step Outcome(int result);

    ssl_ctx_st* context = nullptr;
    ssl_st* session = nullptr;
    std::string problem;
};

} // namespace kelvo
