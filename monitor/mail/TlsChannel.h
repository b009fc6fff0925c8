#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kelvo {

// TLS over a connected, non-blocking socket. Each step tells what the socket
// must become ready for before the step is tried again; the connection does
// the waiting, under its own deadline.
class TlsChannel {
public:
    enum class Step { Done, WantRead, WantWrite, Failed };

    virtual ~TlsChannel() = default;

    // Prepares a client session on the socket that accepts only a certificate
    // chain to an authority of caFile (PEM; empty: the system's trust store)
    // naming host (a host name, or a dotted address). False, with the reason
    // in Problem(), when that cannot be set up.
    virtual bool Begin(int descriptor, const std::string& host, const std::string& caFile) = 0;

    virtual Step Handshake() = 0;
    // Done with written > 0, or the step to wait for.
    virtual Step Write(std::string_view bytes, std::size_t& written) = 0;
    // Done with count > 0, or Done with count 0 when the peer closed.
    virtual Step Read(char* into, std::size_t most, std::size_t& count) = 0;

    // Says goodbye once without waiting for the answer, and frees the session.
    virtual void End() = 0;

    // Why the last step failed, in OpenSSL's words and the certificate check's.
    virtual const std::string& Problem() const = 0;
};

// A channel on OpenSSL: of the mail library, or of the TLS module in a
// program that links the module's loader (the monitor itself).
std::unique_ptr<TlsChannel> NewTlsChannel();

} // namespace kelvo
