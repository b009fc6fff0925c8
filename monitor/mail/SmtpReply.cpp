#include "monitor/mail/SmtpReply.h"

namespace kelvo {

std::size_t WholeReplyLength(std::string_view received) {
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t lineEnd = received.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            return 0;
        }
        const std::string_view line = received.substr(lineStart, lineEnd - lineStart);
        // Servers write a multi-line reply line by line, so its first line may
        // arrive long before its last.
        const bool continued = line.size() >= 4 && line[3] == '-';
        if (!continued) {
            return lineEnd + 1;
        }
        lineStart = lineEnd + 1;
    }
}

bool ReplyHasCode(std::string_view reply, std::string_view code) {
    return code.size() == 3 && reply.substr(0, 3) == code;
}

} // namespace kelvo
