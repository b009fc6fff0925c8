#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// The pieces of a report's MIME message (multipart/mixed with a fixed boundary:
// one text part, then Base64 attachments), each sent whole.

// The contact address that the X-Mailer header names.
inline constexpr std::string_view mailerContact = "monitor@kelvo.example.com";

// From, Subject, MIME and mailer headers, ending with the blank line. CR and LF
// in the display name and the subject become spaces, so that neither can add a
// header of its own.
std::string HeaderBlock(std::string_view from, std::string_view name, std::string_view subject);

// The text part: separator, type with its character set, the body with every
// line that begins with "." given a second one (the server takes it away
// again), so that no body line can end the message early.
std::string TextPart(std::string_view body, bool html);

// The separator and headers of one attachment part, up to its blank line.
std::string AttachmentPartHeader(std::string_view fileName);

// Closes the multipart body and the message data.
std::string MessageEnd();

// The part name of an attachment: the text after the last "/" or "\" of its path.
std::string AttachmentName(std::string_view path);

// True when the text holds CR or LF, which would end a command line early.
bool HoldsLineBreak(std::string_view text);

} // namespace kelvo
