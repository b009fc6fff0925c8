#pragma once

#include <string>

namespace kelvo {

// How a report's SMTP exchange is protected.
enum class MailSecurity {
    None,     // in clear, as the mail rows always were
    StartTls, // in clear up to EHLO, then TLS through STARTTLS before the login
    Tls,      // TLS from the first byte
};

// What the transport needs beyond host and port.
struct MailTransport {
    MailSecurity security = MailSecurity::None;
    // PEM file of the authorities to trust; empty: the system's trust store.
    std::string caFile;
};

// "none", "starttls" or "tls", as the configuration stores it.
std::string MailSecurityText(MailSecurity security);

// The port a report goes to: the configured one, or 25, 587 or 465 by security
// when none is configured (0).
int MailPortFor(MailSecurity security, int configuredPort);

} // namespace kelvo
