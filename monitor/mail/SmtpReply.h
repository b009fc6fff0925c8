#pragma once

#include <cstddef>
#include <string_view>

namespace kelvo {

// Length of the first whole reply at the front of the bytes received so far: its
// lines up to and including the line end of its last line, or 0 while the reply
// has not fully arrived. A line "ddd-..." announces another line; any other
// line ends the reply. Lines end in LF, normally preceded by CR.
std::size_t WholeReplyLength(std::string_view received);

// True when an EHLO reply names the extension (case does not matter) at the
// start of one of its lines after the first, which greets.
bool OffersExtension(std::string_view reply, std::string_view keyword);

// True when the reply begins with the three-character code.
bool ReplyHasCode(std::string_view reply, std::string_view code);

} // namespace kelvo
