#include "chart/ChartSettings.h"

#include "chart/TextEscape.h"
#include "platform/com/TextTrim.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace kelvo {

namespace {

bool ReadBoolean(std::string_view value, bool* result) {
    if (value == "1" || value == "true" || value == "True") {
        *result = true;
        return true;
    }
    if (value == "0" || value == "false" || value == "False") {
        *result = false;
        return true;
    }
    return false;
}

bool ReadInteger(std::string_view value, int* result) {
    const auto end = value.data() + value.size();
    const auto parsed = std::from_chars(value.data(), end, *result);
    return parsed.ec == std::errc() && parsed.ptr == end;
}

bool ReadDouble(std::string_view value, double* result) {
    const auto end = value.data() + value.size();
    double number = 0;
    const auto parsed = std::from_chars(value.data(), end, number);
    if (parsed.ec != std::errc() || parsed.ptr != end || !std::isfinite(number))
        return false;
    *result = number;
    return true;
}

bool ReadColour(std::string_view value, ColourValue* result) {
    static const std::map<std::string_view, ColourValue> names = {
        {"clBlack", MakeColour(0, 0, 0)},       {"clWhite", MakeColour(255, 255, 255)},
        {"clRed", MakeColour(255, 0, 0)},       {"clGreen", MakeColour(0, 128, 0)},
        {"clBlue", MakeColour(0, 0, 255)},      {"clYellow", MakeColour(255, 255, 0)},
        {"clNavy", MakeColour(0, 0, 128)},      {"clGray", MakeColour(128, 128, 128)},
        {"clSilver", MakeColour(192, 192, 192)}};
    if (const auto found = names.find(value); found != names.end()) {
        *result = found->second;
        return true;
    }
    int number = 0;
    if (!ReadInteger(value, &number) || number < 0 || number > 0xFFFFFF)
        return false;
    *result = static_cast<ColourValue>(number);
    return true;
}

bool ReadPercent(std::string_view value, int* result) {
    int number = 0;
    if (!ReadInteger(value, &number) || number < 0 || number > 100)
        return false;
    *result = number;
    return true;
}

bool ReadOrderAscending(std::string_view value, bool* ascending) {
    if (value != "loAscending" && value != "loNone" && value != "loDescending")
        return false;
    *ascending = value == "loAscending";
    return true;
}

bool ReadMargins(std::string_view value, int (&margins)[4]) {
    int read[4];
    for (int i = 0; i < 4; ++i) {
        const auto comma = value.find(',');
        if ((comma == std::string_view::npos) != (i == 3))
            return false;
        if (!ReadInteger(TrimBlanks(value.substr(0, comma)), &read[i]))
            return false;
        value = comma == std::string_view::npos ? std::string_view{} : value.substr(comma + 1);
    }
    std::copy(read, read + 4, margins);
    return true;
}

using Setter = std::function<bool(ChartSettings&, std::string_view)>;

template <class Field> Setter Boolean(Field field) {
    return [field](ChartSettings& s, std::string_view v) { return ReadBoolean(v, &field(s)); };
}
template <class Field> Setter Integer(Field field) {
    return [field](ChartSettings& s, std::string_view v) { return ReadInteger(v, &field(s)); };
}
template <class Field> Setter Real(Field field) {
    return [field](ChartSettings& s, std::string_view v) { return ReadDouble(v, &field(s)); };
}
template <class Field> Setter Colour(Field field) {
    return [field](ChartSettings& s, std::string_view v) { return ReadColour(v, &field(s)); };
}

void AddAxis(std::map<std::string, Setter, std::less<>>& setters, const std::string& prefix,
             AxisSettings ChartSettings::*axis) {
    setters[prefix + ".Automatic"] =
        Boolean([axis](ChartSettings& s) -> bool& { return (s.*axis).automatic; });
    setters[prefix + ".Minimum"] =
        Real([axis](ChartSettings& s) -> double& { return (s.*axis).minimum; });
    setters[prefix + ".Maximum"] =
        Real([axis](ChartSettings& s) -> double& { return (s.*axis).maximum; });
    setters[prefix + ".Increment"] =
        Real([axis](ChartSettings& s) -> double& { return (s.*axis).increment; });
    setters[prefix + ".DateTime"] =
        Boolean([axis](ChartSettings& s) -> bool& { return (s.*axis).dateTime; });
}

const std::map<std::string, Setter, std::less<>>& ChartSetters() {
    static const auto setters = [] {
        std::map<std::string, Setter, std::less<>> map;
        map["Title.Font.Color"] = Colour([](ChartSettings & s) -> auto& { return s.titleColour; });
        map["Title.Font.Height"] =
            Integer([](ChartSettings & s) -> auto& { return s.titleFontHeight; });
        map["Title.Font.Style"] = [](ChartSettings& s, std::string_view v) {
            s.titleBold = v == "fsBold";
            return v == "fsBold" || v.empty();
        };
        map["Color"] = Colour([](ChartSettings & s) -> auto& { return s.panelColour; });
        map["Gradient.Visible"] =
            Boolean([](ChartSettings & s) -> auto& { return s.gradientVisible; });
        map["Gradient.StartColor"] =
            Colour([](ChartSettings & s) -> auto& { return s.gradientStart; });
        map["Gradient.EndColor"] = Colour([](ChartSettings & s) -> auto& { return s.gradientEnd; });
        map["BackWall.Brush.Color"] =
            Colour([](ChartSettings & s) -> auto& { return s.backWallColour; });
        map["BackWall.Brush.Style"] = [](ChartSettings& s, std::string_view v) {
            s.backWallClear = v == "bsClear";
            return v == "bsClear" || v == "bsSolid";
        };
        map["Legend.Visible"] = Boolean([](ChartSettings & s) -> auto& { return s.legendVisible; });
        map["Legend.Gradient.Visible"] =
            Boolean([](ChartSettings & s) -> auto& { return s.legendGradient; });
        map["View3D"] = Boolean([](ChartSettings & s) -> auto& { return s.view3D; });
        map["PrintMargins"] = [](ChartSettings& s, std::string_view v) {
            return ReadMargins(v, s.printMargins);
        };
        map["Left"] = Integer([](ChartSettings & s) -> auto& { return s.left; });
        map["Top"] = Integer([](ChartSettings & s) -> auto& { return s.top; });
        map["Width"] = Integer([](ChartSettings & s) -> auto& { return s.designWidth; });
        map["Height"] = Integer([](ChartSettings & s) -> auto& { return s.designHeight; });
        AddAxis(map, "LeftAxis", &ChartSettings::leftAxis);
        AddAxis(map, "BottomAxis", &ChartSettings::bottomAxis);
        return map;
    }();
    return setters;
}

using SeriesSetter = std::function<bool(SeriesSettings&, std::string_view)>;

const std::map<std::string, SeriesSetter, std::less<>>& SeriesSetters() {
    static const std::map<std::string, SeriesSetter, std::less<>> setters = {
        {"Class",
         [](SeriesSettings& s, std::string_view v) {
             if (v == "PFastLineSeries")
                 s.kind = SeriesKind::FastLine;
             else if (v == "PLineSeries")
                 s.kind = SeriesKind::Line;
             else
                 return false;
             return true;
         }},
        {"Title",
         [](SeriesSettings& s, std::string_view v) {
             s.title = v;
             return true;
         }},
        // The line follows the series colour unless a line colour comes after it.
        {"SeriesColor",
         [](SeriesSettings& s, std::string_view v) {
             const bool read = ReadColour(v, &s.colour);
             if (read)
                 s.lineColour = s.colour;
             return read;
         }},
        {"LinePen.Color",
         [](SeriesSettings& s, std::string_view v) { return ReadColour(v, &s.lineColour); }},
        {"LinePen.Visible",
         [](SeriesSettings& s, std::string_view v) { return ReadBoolean(v, &s.lineVisible); }},
        {"Marks.Visible",
         [](SeriesSettings& s, std::string_view v) { return ReadBoolean(v, &s.marksVisible); }},
        {"Pointer.Visible",
         [](SeriesSettings& s, std::string_view v) { return ReadBoolean(v, &s.pointerVisible); }},
        {"XValues.Order", [](SeriesSettings& s,
                             std::string_view v) { return ReadOrderAscending(v, &s.xAscending); }},
        {"Transparency",
         [](SeriesSettings& s, std::string_view v) { return ReadPercent(v, &s.transparency); }},
    };
    return setters;
}

using ToolSetter = std::function<bool(AnnotationSettings&, std::string_view)>;

const std::map<std::string, ToolSetter, std::less<>>& ToolSetters() {
    static const std::map<std::string, ToolSetter, std::less<>> setters = {
        // The annotation is the only kind of tool the chart has.
        {"Class", [](AnnotationSettings&, std::string_view v) { return v == "PAnnotationTool"; }},
        {"Text",
         [](AnnotationSettings& s, std::string_view v) { return UnescapeText(v, &s.text); }},
        {"Shape.Left",
         [](AnnotationSettings& s, std::string_view v) { return ReadInteger(v, &s.left); }},
        {"Shape.Top",
         [](AnnotationSettings& s, std::string_view v) { return ReadInteger(v, &s.top); }},
        {"Shape.Transparency",
         [](AnnotationSettings& s, std::string_view v) { return ReadPercent(v, &s.transparency); }},
    };
    return setters;
}

// "<prefix><n>.<path>" ("Series0.Title"): the index and the path, or false.
bool SplitIndexedPath(std::string_view path, std::string_view prefix, std::size_t* index,
                      std::string_view* rest) {
    if (path.substr(0, prefix.size()) != prefix)
        return false;
    path.remove_prefix(prefix.size());
    const auto dot = path.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    int number = 0;
    // A bound on the index keeps a damaged stream from asking for millions of series or tools.
    if (!ReadInteger(path.substr(0, dot), &number) || number < 0 || number > 255)
        return false;
    *index = static_cast<std::size_t>(number);
    *rest = path.substr(dot + 1);
    return true;
}

} // namespace

ResultCode ApplyProperties(std::string_view text, ChartSettings* settings) {
    if (!settings)
        return results::NullPointer;
    ResultCode result = results::Ok;
    bool titleStarted = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const auto equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos)
            continue;
        const std::string_view path = TrimBlanks(line.substr(0, equals));
        const std::string_view value = TrimBlanks(line.substr(equals + 1));

        // Each title line is one entry; the first entry replaces the old title.
        if (path == "Title.Text.Strings") {
            if (!titleStarted)
                settings->title.clear();
            titleStarted = true;
            settings->title.emplace_back(value);
            continue;
        }
        std::size_t index = 0;
        std::string_view seriesPath;
        if (SplitIndexedPath(path, "Series", &index, &seriesPath)) {
            const auto found = SeriesSetters().find(seriesPath);
            if (found == SeriesSetters().end())
                continue;
            if (settings->series.size() <= index)
                settings->series.resize(index + 1);
            if (!found->second(settings->series[index], value))
                result = results::InvalidArgument;
            continue;
        }
        if (SplitIndexedPath(path, "Tool", &index, &seriesPath)) {
            const auto found = ToolSetters().find(seriesPath);
            if (found == ToolSetters().end())
                continue;
            if (settings->tools.size() <= index)
                settings->tools.resize(index + 1);
            if (!found->second(settings->tools[index], value))
                result = results::InvalidArgument;
            continue;
        }
        const auto found = ChartSetters().find(path);
        if (found != ChartSetters().end() && !found->second(*settings, value))
            result = results::InvalidArgument;
    }
    return result;
}

} // namespace kelvo
