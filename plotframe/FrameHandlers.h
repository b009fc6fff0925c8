#pragma once

#include "platform/com/Dispatch.h"

#include <span>

namespace kelvo {

class Variant;

// What the frame does when its chart raises an event, each through the chart's
// dispatch members only. Every chart call's failure ends the handler at once
// with that result; what was done before it stays.

// After the chart draws: "Y Data range:" and the range of series 0's values
// below it, near the axes' corner. Overflow when a position leaves 32 bits.
ResultCode DrawRangeCaption(Dispatch* chart);

// Before the series are drawn: the annotation tool 0 marks the last point
// holding the largest value (0, 0 without points) and names that value.
// decimalPoint: the user's locale's.
ResultCode MarkHighestPoint(Dispatch* chart, char decimalPoint);

// A bottom axis label (axis, point index, label text by reference) gets
// " Index:" and the index after it.
ResultCode AddLabelSuffix(std::span<Variant> arguments);

} // namespace kelvo
