#pragma once

#include "common/vb_bool.h"

#include <QString>
#include <vector>

// What the rulers of the measuring area consist of, as plain data: the bottom ruler for x
// and the right ruler for y, graduated every 4 pixels (a tenth of a unit length), with
// half-unit ticks every 20 and labelled unit ticks every 40.
namespace rulers {

struct RulerItem {
    enum class Kind { Line, Text };
    Kind kind;
    int x1, y1, x2, y2; // a line from (x1, y1) to (x2, y2); a text's top-left at (x1, y1)
    QString text;

    bool operator==(const RulerItem&) const = default;
};

// Fixed rows and columns inside the ruler bands where the marks are projected.
inline constexpr int kBottomDotRow = 253;
inline constexpr int kRightDotColumn = 332;

// The ticks and labels in drawing order: bottom ruler (small ticks, unit ticks, labels,
// half-unit ticks), then the right ruler in the same order. Each series runs for as long
// as its coordinate is at least 1. The frame is not included.
std::vector<RulerItem> rulerItems(int areaW, int areaH, VbBool xAxisRight, VbBool yAxisDown);

} // namespace rulers
