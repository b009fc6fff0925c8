#pragma once

#include <filesystem>
#include <string>

namespace kelvo::test {

// A private authority and one server certificate it signed, written as PEM
// files into a folder, for TLS tests that must not depend on any trust store.
struct TestCertificates {
    std::filesystem::path authority;   // the authority's certificate: what the client trusts
    std::filesystem::path certificate; // the server's certificate
    std::filesystem::path key;         // the server's private key
};

struct ServerCertificate {
    std::string subjectAltName = "DNS:localhost,IP:127.0.0.1";
    bool expired = false; // ended a day ago
};

// Empty paths when OpenSSL fails to make them.
TestCertificates MakeTestCertificates(const std::filesystem::path& folder,
                                      const ServerCertificate& server = {});

} // namespace kelvo::test
