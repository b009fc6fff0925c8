#include "monitor/core/MailConfigRow.h"

#include "monitor/core/TextNumbers.h"
#include "monitor/mail/ZBase64.h"

namespace kelvo {
namespace {

bool IsRow(int index) {
    return index >= 0 && index < mailRowCount;
}

} // namespace

std::string NextRowField(std::string& rest) {
    const std::size_t end = rest.find(rowTerminator);
    if (end == std::string::npos) {
        return {};
    }
    std::string field = rest.substr(0, end);
    rest.erase(0, end + rowTerminator.size());
    return field;
}

void ParseMailRow(MailConfigRows& rows, std::string_view row, int index) {
    if (!IsRow(index)) {
        return;
    }
    const auto slot = static_cast<std::size_t>(index);
    std::string rest(row);
    rows.server[slot] = NextRowField(rest);
    rows.sender[slot] = NextRowField(rest);
    rows.userName[slot] = NextRowField(rest);
    rows.recipients[slot] = NextRowField(rest);
    rows.subjectPrefix[slot] = NextRowField(rest);
    rows.interval[slot] = ReadInteger(NextRowField(rest));
    rows.sending[slot] = ReadFlag(NextRowField(rest));
    rows.periodic[slot] = ReadFlag(NextRowField(rest));
    rows.upper[slot] = ReadReal(NextRowField(rest));
    rows.lower[slot] = ReadReal(NextRowField(rest));
    rows.password[slot] = ZBase64::DecodeText(NextRowField(rest).c_str());
}

std::string FormatMailRow(const MailConfigRows& rows, int index) {
    if (!IsRow(index)) {
        return {};
    }
    const auto slot = static_cast<std::size_t>(index);
    std::string row;
    for (const std::string& field :
         {rows.server[slot], rows.sender[slot], rows.userName[slot], rows.recipients[slot],
          rows.subjectPrefix[slot], std::to_string(rows.interval[slot]),
          std::string(FormatFlag(rows.sending[slot])), std::string(FormatFlag(rows.periodic[slot])),
          FormatFixed2(rows.upper[slot]), FormatFixed2(rows.lower[slot]),
          ZBase64::EncodeText(rows.password[slot].c_str())}) {
        row += field;
        row += rowTerminator;
    }
    return row;
}

int ActiveMailRow(const MonitorState& state) {
    return IsRow(state.mailRowIndex) ? state.mailRowIndex : 0;
}

} // namespace kelvo
