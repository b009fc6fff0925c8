#pragma once

#include "monitor/resources/ChartProperties.h"

// The stored properties of the monitor's chart page, as the page's template
// hands them to the chart.
inline constexpr const char* CurveProperties = kelvo::resources::curveChartProperties;
