#pragma once

#include "monitor/mail/TlsChannel.h"

struct ssl_ctx_st;
struct ssl_st;

namespace kelvo {

// TLS by OpenSSL.
class OpenSslChannel final : public TlsChannel {
public:
    OpenSslChannel() = default;
    ~OpenSslChannel() override;
    OpenSslChannel(const OpenSslChannel&) = delete;
    OpenSslChannel& operator=(const OpenSslChannel&) = delete;

    bool Begin(int descriptor, const std::string& host, const std::string& caFile) override;
    Step Handshake() override;
    Step Write(std::string_view bytes, std::size_t& written) override;
    Step Read(char* into, std::size_t most, std::size_t& count) override;
    void End() override;
    const std::string& Problem() const override { return problem; }

private:
    Step Outcome(int result);

    ssl_ctx_st* context = nullptr;
    ssl_st* session = nullptr;
    std::string problem;
};

} // namespace kelvo
