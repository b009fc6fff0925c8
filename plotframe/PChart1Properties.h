#pragma once

namespace kelvo {

// The stored properties PChart1 starts from, in the chart's own "Path=Value"
// form: a gradient panel, a white bold title, one red line series without
// marks or pointer, and one annotation tool at its defaults.
inline constexpr const char* PChart1Properties = "Left=0\n"
                                                 "Top=0\n"
                                                 "Width=453\n"
                                                 "Height=333\n"
                                                 "BackWall.Brush.Color=clWhite\n"
                                                 "BackWall.Brush.Style=bsClear\n"
                                                 "Gradient.Visible=true\n"
                                                 "Gradient.StartColor=8454143\n"
                                                 "Gradient.EndColor=16033024\n"
                                                 "Title.Font.Color=clWhite\n"
                                                 "Title.Font.Height=-16\n"
                                                 "Title.Font.Style=fsBold\n"
                                                 "Title.Text.Strings=Plotra VB AX Usercontrol\n"
                                                 "Series0.Class=PLineSeries\n"
                                                 "Series0.Title=Series0\n"
                                                 "Series0.SeriesColor=clRed\n"
                                                 "Series0.Marks.Visible=false\n"
                                                 "Series0.Marks.ArrowLength=8\n"
                                                 "Series0.Pointer.Visible=false\n"
                                                 "Series0.Pointer.Style=psRectangle\n"
                                                 "Series0.Pointer.InflateMargins=true\n"
                                                 "Series0.XValues.Name=X\n"
                                                 "Series0.XValues.DateTime=false\n"
                                                 "Series0.XValues.Order=loAscending\n"
                                                 "Series0.YValues.Name=Y\n"
                                                 "Series0.YValues.DateTime=false\n"
                                                 "Series0.YValues.Order=loNone\n"
                                                 "Tool0.Class=PAnnotationTool\n";

} // namespace kelvo
