#include "monitor/mail/MailSecurity.h"

namespace kelvo {

std::string MailSecurityText(MailSecurity security) {
    switch (security) {
    case MailSecurity::StartTls:
        return "starttls";
    case MailSecurity::Tls:
        return "tls";
    case MailSecurity::None:
        break;
    }
    return "none";
}

int MailPortFor(MailSecurity security, int configuredPort) {
    if (configuredPort != 0) {
        return configuredPort;
    }
    switch (security) {
    case MailSecurity::StartTls:
        return 587;
    case MailSecurity::Tls:
        return 465;
    case MailSecurity::None:
        break;
    }
    return 25;
}

} // namespace kelvo
