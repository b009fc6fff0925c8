#include "plotframe/demo/RecordCsv.h"

#include <charconv>
#include <cmath>

namespace kelvo {

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (true) {
        const auto comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        line.remove_prefix(comma + 1);
    }
}

bool ReadRow(std::string_view line, RecordPoint* point) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != 4)
        return false;
    const std::string_view number = fields[0];
    if (std::from_chars(number.data(), number.data() + number.size(), point->number).ptr !=
        number.data() + number.size())
        return false;
    // "YYYY-MM-DD HH:MM:SS": the chart labels its points with the time.
    const std::string_view when = fields[1];
    if (when.size() != 19 || when[10] != ' ' || when[13] != ':' || when[16] != ':')
        return false;
    point->time = std::string(when.substr(11));
    // "25.00 C": the value, a blank and the unit.
    const std::string_view inner = fields[2];
    if (inner.size() < 3 || inner[inner.size() - 2] != ' ' ||
        (inner.back() != 'C' && inner.back() != 'F'))
        return false;
    point->unit = inner.back();
    const std::string_view value = inner.substr(0, inner.size() - 2);
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), point->inner);
    return parsed.ec == std::errc() && parsed.ptr == value.data() + value.size() &&
           std::isfinite(point->inner);
}

} // namespace

RecordReadResult ReadRecordRows(std::string_view text) {
    RecordReadResult result;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line == "NO,DateTime,Inner,Outer,")
            continue;
        RecordPoint point;
        if (ReadRow(line, &point))
            result.points.push_back(std::move(point));
        else
            ++result.skipped;
    }
    return result;
}

} // namespace kelvo
