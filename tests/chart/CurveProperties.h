#pragma once

// The stored properties of the monitor's chart page, as the page's template
// hands them to the chart.
inline constexpr const char* CurveProperties = R"(Title.Text.Strings=HID Kelvo
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
