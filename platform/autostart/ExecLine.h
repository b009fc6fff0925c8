#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo::autostart {

// An Exec line taken apart into its program and arguments, by the quoting
// rules of desktop entries (the inverse of QuoteExecArgument): blanks part the
// arguments; inside double quotes a blank is kept, and a backslash keeps the
// character after it when that is ", `, $ or \; "%%" stands for "%".
struct ExecLine {
    std::vector<std::string> arguments; // empty for a line of blanks
    std::string problem;                // why the line cannot be split; empty when it can
};

// Field codes (%f, %u, ...) name files a launcher passes; nothing passes any
// here, so a "%" other than "%%" is a problem rather than a guess.
ExecLine SplitExecLine(std::string_view line);

} // namespace kelvo::autostart
