#include "tests/mail/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <memory>

namespace kelvo::test {
namespace {

struct Free {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(X509* certificate) const { X509_free(certificate); }
    void operator()(BIO* file) const { BIO_free(file); }
};
using Key = std::unique_ptr<EVP_PKEY, Free>;
using Certificate = std::unique_ptr<X509, Free>;
using File = std::unique_ptr<BIO, Free>;

constexpr long day = 24 * 60 * 60;

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_nconf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// A certificate for key, valid from `from` to `to` seconds around now, issued
// by the issuer (itself when issuer is null); signed afterwards.
Certificate Make(EVP_PKEY* key, const char* commonName, long serial, long from, long to,
                 X509* issuer) {
    Certificate certificate(X509_new());
    X509* made = certificate.get();
    X509_NAME* name = X509_get_subject_name(made);
    const bool filled =
        X509_set_version(made, 2) == 1 &&
        ASN1_INTEGER_set(X509_get_serialNumber(made), serial) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(made), from) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(made), to) != nullptr &&
        X509_set_pubkey(made, key) == 1 &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                                   0) == 1 &&
        X509_set_issuer_name(made, issuer != nullptr ? X509_get_subject_name(issuer) : name) == 1;
    return filled ? std::move(certificate) : nullptr;
}

bool WriteCertificate(X509* certificate, const std::filesystem::path& path) {
    File file(BIO_new_file(path.c_str(), "w"));
    return file && PEM_write_bio_X509(file.get(), certificate) == 1;
}

bool WriteKey(EVP_PKEY* key, const std::filesystem::path& path) {
    File file(BIO_new_file(path.c_str(), "w"));
    return file &&
           PEM_write_bio_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
}

} // namespace

TestCertificates MakeTestCertificates(const std::filesystem::path& folder,
                                      const ServerCertificate& server) {
    Key authorityKey(EVP_EC_gen("P-256"));
    Key serverKey(EVP_EC_gen("P-256"));
    if (!authorityKey || !serverKey) {
        return {};
    }
    Certificate authority =
        Make(authorityKey.get(), "Kelvo Test Authority", 1, -day, 30 * day, nullptr);
    if (!authority ||
        !AddExtension(authority.get(), authority.get(), NID_basic_constraints,
                      "critical,CA:TRUE") ||
        !AddExtension(authority.get(), authority.get(), NID_key_usage,
                      "critical,keyCertSign,cRLSign") ||
        !AddExtension(authority.get(), authority.get(), NID_subject_key_identifier, "hash") ||
        X509_sign(authority.get(), authorityKey.get(), EVP_sha256()) == 0) {
        return {};
    }
    const long from = server.expired ? -30 * day : -day;
    const long to = server.expired ? -day : 30 * day;
    Certificate certificate =
        Make(serverKey.get(), "kelvo-test-server", 2, from, to, authority.get());
    if (!certificate ||
        !AddExtension(certificate.get(), authority.get(), NID_basic_constraints, "CA:FALSE") ||
        !AddExtension(certificate.get(), authority.get(), NID_ext_key_usage, "serverAuth") ||
        !AddExtension(certificate.get(), authority.get(), NID_subject_alt_name,
                      server.subjectAltName.c_str()) ||
        !AddExtension(certificate.get(), authority.get(), NID_authority_key_identifier, "keyid") ||
        X509_sign(certificate.get(), authorityKey.get(), EVP_sha256()) == 0) {
        return {};
    }
    TestCertificates files{folder / "authority.pem", folder / "server.pem", folder / "server.key"};
    if (!WriteCertificate(authority.get(), files.authority) ||
        !WriteCertificate(certificate.get(), files.certificate) ||
        !WriteKey(serverKey.get(), files.key)) {
        return {};
    }
    return files;
}

} // namespace kelvo::test
