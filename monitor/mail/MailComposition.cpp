#include "monitor/mail/MailComposition.h"

#include <algorithm>

namespace kelvo {
namespace {

constexpr std::string_view boundary = "zorvak";

std::string PartSeparator() {
    return "--" + std::string(boundary) + "\r\n";
}

std::string OnOneLine(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

} // namespace

std::string HeaderBlock(std::string_view from, std::string_view name, std::string_view subject) {
    std::string block;
    block += "From:" + OnOneLine(name) + "<" + std::string(from) + ">\r\n";
    block += "Subject:" + OnOneLine(subject) + "\r\n";
    block += "MIME-Version:1.0\r\n";
    block += "X-Mailer:Email:" + std::string(mailerContact) + "\r\n";
    block += "MIME-Version:1.0\r\n";
    block += "Content-type:multipart/mixed;Boundary=" + std::string(boundary) + "\r\n\r\n";
    return block;
}

std::string TextPart(std::string_view body, bool html) {
    std::string part = PartSeparator();
    part += html ? "Content-type:text/html;Charset=gb2312\r\n"
                 : "Content-type:text/plain;Charset=gb2312\r\n";
    part += "Content-Transfer-Encoding:8bit\r\n\r\n";
    bool lineStart = true;
    for (std::size_t index = 0; index < body.size(); ++index) {
        if (lineStart && body[index] == '.') {
            part += '.';
        }
        part += body[index];
        lineStart = body[index] == '\n' && index > 0 && body[index - 1] == '\r';
    }
    part += "\r\n\r\n";
    return part;
}

std::string AttachmentPartHeader(std::string_view fileName) {
    const std::string name = OnOneLine(fileName);
    std::string header = PartSeparator();
    header += "Content-Type:application/octet-stream;Name=" + name + "\r\n";
    header += "Content-Disposition:attachment;FileName=" + name + "\r\n";
    header += "Content-Transfer-Encoding:Base64\r\n\r\n";
    return header;
}

std::string MessageEnd() {
    return "--" + std::string(boundary) + "--\r\n.\r\n";
}

std::string AttachmentName(std::string_view path) {
    const std::size_t last = path.find_last_of("/\\");
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace kelvo
