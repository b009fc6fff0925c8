#pragma once

#include <filesystem>
#include <string_view>

namespace kelvo {

// A test mode: when KELVO_CHART_DRAW_LOG names a file at a chart's creation,
// the chart appends one line per text it draws for its hosts, so a test that
// sees the chart only through its host can read back what was drawn:
//   "text <x> <y> <text>" for a canvas text, "annotation <left> <top> <text>"
// for an annotation box, "label <point index> 0 <text>" for a bottom axis
// label its sinks were asked about, the text escaped as in TextEscape.h.
class DrawLog {
public:
    static DrawLog FromEnvironment();

    bool Enabled() const { return !path_.empty(); }
    void Add(std::string_view kind, int x, int y, std::string_view text) const;

private:
    std::filesystem::path path_;
};

} // namespace kelvo
