#pragma once

namespace kelvo::resources {

// The stored properties the chart page's two hosted controls start from.
inline constexpr const char* curveChartProperties = R"(Title.Text.Strings=HID Kelvo
LeftAxis.Automatic=0
LeftAxis.Minimum=-40
LeftAxis.Maximum=120
LeftAxis.Increment=10
LeftAxis.DateTime=0
View3D=0
Color=8454016
Legend.Gradient.Visible=1
PrintMargins=15,19,15,19
Width=568
Height=410
Series0.Class=PFastLineSeries
Series0.Title=temp
Series0.SeriesColor=clRed
Series0.LinePen.Color=clRed
Series0.Marks.Visible=0
Series0.XValues.Order=loAscending
Series0.YValues.Order=loNone
Series0.XValues.DateTime=0
Series0.YValues.DateTime=0
Series1.Class=PFastLineSeries
Series1.Title=1
Series1.SeriesColor=clGreen
Series1.LinePen.Visible=0
Series1.Marks.Visible=0
Series1.XValues.Order=loAscending
)";

inline constexpr const char* curveCommandBarProperties = "Width=568\nHeight=34";

} // namespace kelvo::resources
