#include "chart/DrawLog.h"

#include "chart/TextEscape.h"

#include <cstdlib>
#include <fstream>

namespace kelvo {

DrawLog DrawLog::FromEnvironment() {
    DrawLog log;
    if (const char* path = std::getenv("KELVO_CHART_DRAW_LOG"); path && *path)
        log.path_ = path;
    return log;
}

void DrawLog::Add(std::string_view kind, int x, int y, std::string_view text) const {
    if (!Enabled())
        return;
    std::ofstream file(path_, std::ios::app | std::ios::binary);
    file << kind << ' ' << x << ' ' << y << ' ' << EscapeText(text) << '\n';
}

} // namespace kelvo
