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

bool OffersExtension(std::string_view reply, std::string_view keyword) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    std::size_t lineStart = reply.find('\n');
    while (lineStart != std::string_view::npos && lineStart + 1 < reply.size()) {
        ++lineStart;
        const std::size_t lineEnd = reply.find('\n', lineStart);
        std::string_view line = reply.substr(lineStart, lineEnd - lineStart);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        // "250-STARTTLS" or "250 STARTTLS": the keyword is the word after the code.
        if (line.size() >= 4 + keyword.size()) {
            const std::string_view word = line.substr(4, keyword.size());
            const bool wordEnds =
                line.size() == 4 + keyword.size() || line[4 + keyword.size()] == ' ';
            bool same = wordEnds;
            for (std::size_t i = 0; same && i < keyword.size(); ++i) {
                same = lower(word[i]) == lower(keyword[i]);
            }
            if (same) {
                return true;
            }
        }
        lineStart = lineEnd;
    }
    return false;
}

bool ReplyHasCode(std::string_view reply, std::string_view code) {
    return code.size() == 3 && reply.substr(0, 3) == code;
}

} // namespace kelvo
