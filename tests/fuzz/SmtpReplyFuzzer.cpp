#include "monitor/mail/SmtpReply.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Replies come from whatever server the user typed in, in pieces of any size.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view received(reinterpret_cast<const char*>(data), size);
    while (!received.empty()) {
        const std::size_t length = kelvo::WholeReplyLength(received);
        // A whole reply lies within what arrived and ends with a line end.
        if (length > received.size() || (length > 0 && received[length - 1] != '\n')) {
            __builtin_trap();
        }
        // It is whole from the moment its last line end arrives and never before,
        // so pieces of any size give the same replies.
        for (std::size_t end = 1; end <= received.size(); ++end) {
            if (received[end - 1] != '\n') {
                continue;
            }
            const std::size_t early = kelvo::WholeReplyLength(received.substr(0, end));
            const bool whole = length > 0 && end >= length;
            if (early != (whole ? length : 0)) {
                __builtin_trap();
            }
        }
        if (length == 0) {
            break;
        }
        kelvo::ReplyHasCode(received.substr(0, length), "250");
        received.remove_prefix(length);
    }
    return 0;
}
