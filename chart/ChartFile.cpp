#include "chart/ChartFile.h"

#include "chart/TextEscape.h"
#include "platform/ini/FileReplace.h"

#include <charconv>
#include <cmath>

namespace kelvo {

namespace {

// The shortest text that reads back as the same double.
std::string NumberText(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

std::string BooleanText(bool value) {
    return value ? "true" : "false";
}

void AddLine(std::string& text, std::string_view path, std::string_view value) {
    text.append(path).append("=").append(value).append("\n");
}

void AddAxis(std::string& text, const std::string& prefix, const AxisSettings& axis) {
    AddLine(text, prefix + ".Automatic", BooleanText(axis.automatic));
    AddLine(text, prefix + ".Minimum", NumberText(axis.minimum));
    AddLine(text, prefix + ".Maximum", NumberText(axis.maximum));
    AddLine(text, prefix + ".Increment", NumberText(axis.increment));
    AddLine(text, prefix + ".DateTime", BooleanText(axis.dateTime));
}

bool ReadNumber(std::string_view text, double* value) {
    const auto end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, *value);
    return parsed.ec == std::errc() && parsed.ptr == end && std::isfinite(*value);
}

bool ReadIndex(std::string_view text, std::size_t* value) {
    const auto end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, *value);
    return parsed.ec == std::errc() && parsed.ptr == end && !text.empty();
}

// "<series>,<x>,<y>,<label>"; the label may hold commas of its own.
bool ReadPoint(std::string_view value, std::size_t* series, double* x, double* y,
               std::string* label) {
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const auto comma = value.find(',');
        if (comma == std::string_view::npos)
            return false;
        field = value.substr(0, comma);
        value.remove_prefix(comma + 1);
    }
    return ReadIndex(fields[0], series) && ReadNumber(fields[1], x) && ReadNumber(fields[2], y) &&
           UnescapeText(value, label);
}

} // namespace

std::string PropertiesText(const ChartSettings& settings) {
    std::string text;
    for (const std::string& line : settings.title)
        AddLine(text, "Title.Text.Strings", line);
    AddLine(text, "Title.Font.Color", std::to_string(settings.titleColour));
    AddLine(text, "Title.Font.Height", std::to_string(settings.titleFontHeight));
    AddLine(text, "Title.Font.Style", settings.titleBold ? "fsBold" : "");
    AddLine(text, "Color", std::to_string(settings.panelColour));
    AddLine(text, "Gradient.Visible", BooleanText(settings.gradientVisible));
    AddLine(text, "Gradient.StartColor", std::to_string(settings.gradientStart));
    AddLine(text, "Gradient.EndColor", std::to_string(settings.gradientEnd));
    AddLine(text, "BackWall.Brush.Color", std::to_string(settings.backWallColour));
    AddLine(text, "BackWall.Brush.Style", settings.backWallClear ? "bsClear" : "bsSolid");
    AddLine(text, "Legend.Visible", BooleanText(settings.legendVisible));
    AddLine(text, "Legend.Gradient.Visible", BooleanText(settings.legendGradient));
    AddLine(text, "View3D", BooleanText(settings.view3D));
    const int* margins = settings.printMargins;
    AddLine(text, "PrintMargins",
            std::to_string(margins[0]) + "," + std::to_string(margins[1]) + "," +
                std::to_string(margins[2]) + "," + std::to_string(margins[3]));
    AddLine(text, "Left", std::to_string(settings.left));
    AddLine(text, "Top", std::to_string(settings.top));
    AddLine(text, "Width", std::to_string(settings.designWidth));
    AddLine(text, "Height", std::to_string(settings.designHeight));
    AddAxis(text, "LeftAxis", settings.leftAxis);
    AddAxis(text, "BottomAxis", settings.bottomAxis);
    for (std::size_t i = 0; i < settings.series.size(); ++i) {
        const SeriesSettings& series = settings.series[i];
        const std::string prefix = "Series" + std::to_string(i) + ".";
        AddLine(text, prefix + "Class",
                series.kind == SeriesKind::Line ? "PLineSeries" : "PFastLineSeries");
        AddLine(text, prefix + "Title", series.title);
        AddLine(text, prefix + "SeriesColor", std::to_string(series.colour));
        AddLine(text, prefix + "LinePen.Color", std::to_string(series.lineColour));
        AddLine(text, prefix + "LinePen.Visible", BooleanText(series.lineVisible));
        AddLine(text, prefix + "Marks.Visible", BooleanText(series.marksVisible));
        AddLine(text, prefix + "Pointer.Visible", BooleanText(series.pointerVisible));
        AddLine(text, prefix + "XValues.Order", series.xAscending ? "loAscending" : "loNone");
        AddLine(text, prefix + "Transparency", std::to_string(series.transparency));
    }
    for (std::size_t i = 0; i < settings.tools.size(); ++i) {
        const AnnotationSettings& tool = settings.tools[i];
        const std::string prefix = "Tool" + std::to_string(i) + ".";
        AddLine(text, prefix + "Class", "PAnnotationTool");
        AddLine(text, prefix + "Text", EscapeText(tool.text));
        AddLine(text, prefix + "Shape.Left", std::to_string(tool.left));
        AddLine(text, prefix + "Shape.Top", std::to_string(tool.top));
        AddLine(text, prefix + "Shape.Transparency", std::to_string(tool.transparency));
    }
    return text;
}

std::string ChartFileText(const ChartModel& model) {
    std::string text(ChartFileMagic);
    text += " " + std::to_string(ChartFileVersion) + "\n";
    text += PropertiesText(model.settings);
    for (std::size_t series = 0; series < model.points.size(); ++series) {
        const PointStore& store = model.points[series];
        const std::string prefix = "Point=" + std::to_string(series) + ",";
        for (std::size_t i = 0; i < store.Count(); ++i)
            text += prefix + NumberText(store.X(i)) + "," + NumberText(store.Y(i)) + "," +
                    EscapeText(store.Label(i)) + "\n";
    }
    return text;
}

ResultCode ReadChartFile(std::string_view bytes, ChartModel* model) {
    if (!model)
        return results::NullPointer;
    const auto firstEnd = bytes.find('\n');
    if (firstEnd == std::string_view::npos)
        return results::InvalidArgument;
    std::string_view first = bytes.substr(0, firstEnd);
    if (first.substr(0, ChartFileMagic.size() + 1) != std::string(ChartFileMagic) + " ")
        return results::InvalidArgument;
    first.remove_prefix(ChartFileMagic.size() + 1);
    std::size_t version = 0;
    if (!ReadIndex(first, &version) || version == 0)
        return results::InvalidArgument;
    if (version > static_cast<std::size_t>(ChartFileVersion))
        return results::NotImplemented;

    // Properties first, points after them: a point needs its series defined.
    std::string_view rest = bytes.substr(firstEnd + 1);
    const auto pointsStart = rest.find("Point=") == 0 ? 0 : rest.find("\nPoint=");
    const std::string_view properties =
        pointsStart == std::string_view::npos ? rest : rest.substr(0, pointsStart);
    std::string_view points =
        pointsStart == std::string_view::npos ? std::string_view{} : rest.substr(pointsStart);

    ChartModel read;
    if (Failed(ApplyProperties(properties, &read.settings)))
        return results::InvalidArgument;
    read.MatchSeries();
    std::size_t count = 0;
    std::string label;
    while (!points.empty()) {
        const auto end = points.find('\n');
        std::string_view line = points.substr(0, end);
        points = end == std::string_view::npos ? std::string_view{} : points.substr(end + 1);
        if (line.empty())
            continue;
        constexpr std::string_view prefix = "Point=";
        if (line.substr(0, prefix.size()) != prefix)
            return results::InvalidArgument;
        line.remove_prefix(prefix.size());
        std::size_t series = 0;
        double x = 0;
        double y = 0;
        if (!ReadPoint(line, &series, &x, &y, &label) || series >= read.points.size() ||
            ++count > ChartFileMaximumPoints)
            return results::InvalidArgument;
        read.points[series].Append(x, y, label);
    }
    read.ResetView();
    *model = std::move(read);
    return results::Ok;
}

ResultCode LoadChartFile(const std::filesystem::path& path, ChartModel* model) {
    std::string bytes;
    switch (ReadWholeFile(path, bytes)) {
    case FileReadResult::read:
        return ReadChartFile(bytes, model);
    case FileReadResult::missing:
        return results::FileNotFound;
    case FileReadResult::failed:
        break;
    }
    return results::Fail;
}

ResultCode SaveChartFile(const std::filesystem::path& path, const ChartModel& model) {
    return ReplaceFileContents(path, ChartFileText(model)) ? results::Ok : results::WriteFault;
}

} // namespace kelvo
