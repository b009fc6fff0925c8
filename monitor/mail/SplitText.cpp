#include "monitor/mail/SplitText.h"

namespace kelvo {

std::deque<std::string> SplitText(std::string text, const std::string& separator) {
    if (text == separator) {
        return {text};
    }
    if (text.size() <= separator.size()) {
        return {};
    }
    if (separator.empty()) {
        // Searching for an empty separator would find it forever.
        return {text};
    }
    if (!text.ends_with(separator)) {
        text += separator;
    }
    std::deque<std::string> items;
    std::size_t start = 0;
    for (std::size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, start)) {
        items.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    return items;
}

} // namespace kelvo
