#include "platform/autostart/ExecLine.h"

namespace kelvo::autostart {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsQuotedEscape(char c) {
    return c == '"' || c == '`' || c == '$' || c == '\\';
}

} // namespace

ExecLine SplitExecLine(std::string_view line) {
    ExecLine result;
    std::string argument;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t position = 0; position < line.size(); ++position) {
        const char c = line[position];
        const char next = position + 1 < line.size() ? line[position + 1] : '\0';
        if (c == '%') {
            if (next != '%') {
                result.problem = next == '\0' ? "a lone \"%\" ends the line; write \"%%\" for a "
                                                "percent sign"
                                              : std::string("the field code \"%") + next +
                                                    "\" has no meaning here; write \"%%\" for a "
                                                    "percent sign";
                result.arguments.clear();
                return result;
            }
            argument += '%';
            inArgument = true;
            ++position;
            continue;
        }
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && IsQuotedEscape(next)) {
                argument += next;
                ++position;
            } else {
                argument += c;
            }
            continue;
        }
        if (IsBlank(c)) {
            if (inArgument) {
                result.arguments.push_back(std::move(argument));
                argument.clear();
                inArgument = false;
            }
            continue;
        }
        inArgument = true;
        if (c == '"') {
            quoted = true;
        } else {
            argument += c;
        }
    }
    if (quoted) {
        result.problem = "a double quote is not closed";
        result.arguments.clear();
        return result;
    }
    if (inArgument) {
        result.arguments.push_back(std::move(argument));
    }
    return result;
}

} // namespace kelvo::autostart
