#include "chart/LabelTable.h"

#include <cstdio>

namespace kelvo {

namespace {

constexpr std::uint32_t SecondsPerDay = 24 * 60 * 60;
// Codes 1 to SecondsPerDay are times of day; shared texts follow.
constexpr std::uint32_t FirstTextCode = SecondsPerDay + 1;

int TwoDigits(std::string_view text, std::size_t position) {
    const char high = text[position];
    const char low = text[position + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9')
        return -1;
    return (high - '0') * 10 + (low - '0');
}

// The second of the day for exactly "HH:MM:SS", else -1; only texts that
// format back to themselves qualify.
int TimeOfDay(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return -1;
    const int hours = TwoDigits(text, 0);
    const int minutes = TwoDigits(text, 3);
    const int seconds = TwoDigits(text, 6);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return -1;
    return (hours * 60 + minutes) * 60 + seconds;
}

} // namespace

std::uint32_t LabelTable::Encode(std::string_view text) {
    if (text.empty())
        return Empty;
    if (const int second = TimeOfDay(text); second >= 0)
        return static_cast<std::uint32_t>(second) + 1;
    const auto found = codes_.find(std::string(text));
    if (found != codes_.end())
        return found->second;
    const auto code = FirstTextCode + static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);
    codes_.emplace(texts_.back(), code);
    return code;
}

std::string LabelTable::Decode(std::uint32_t code) const {
    if (code == Empty)
        return {};
    if (code < FirstTextCode) {
        const std::uint32_t second = code - 1;
        char text[9];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", second / 3600, second / 60 % 60,
                      second % 60);
        return text;
    }
    const std::size_t index = code - FirstTextCode;
    return index < texts_.size() ? texts_[index] : std::string();
}

void LabelTable::Clear() {
    texts_.clear();
    codes_.clear();
}

std::size_t LabelTable::MemoryBytes() const {
    std::size_t bytes = texts_.capacity() * sizeof(std::string);
    // Each shared text is held twice (list and index) plus the index's node.
    for (const std::string& text : texts_)
        bytes += 2 * (text.capacity() + 1) + sizeof(std::string) + 2 * sizeof(void*);
    return bytes;
}

} // namespace kelvo
