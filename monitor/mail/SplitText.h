#pragma once

#include <deque>
#include <string>

namespace kelvo {

// Splits a recipient text such as "a@x.com,b@y.com" at each separator. Items
// keep their spaces; two separators in a row give an empty item. A text equal to
// the separator gives that one text, and a text no longer than the separator
// gives nothing. An empty separator gives the whole text as its one item.
std::deque<std::string> SplitText(std::string text, const std::string& separator);

} // namespace kelvo
