#include "main_window/ruler_geometry.h"

#include "common/number_format.h"

namespace rulers {

namespace {

constexpr int kSmallSpacing = 4;
constexpr int kHalfSpacing = 20;
constexpr int kUnitSpacing = 40;

RulerItem line(int x1, int y1, int x2, int y2) {
    return {RulerItem::Kind::Line, x1, y1, x2, y2, {}};
}

RulerItem text(int x, int y, int value) {
    return {RulerItem::Kind::Text, x, y, x, y, common::formatNumber(double(value), "#0")};
}

// A flipped axis counts from 4 pixels beyond the far inner edge, so its labels start at the
// number of whole units that fit between there and the near edge (8 across, 6 down).
int flippedStart(int areaSize) {
    return (areaSize + 4) / kUnitSpacing;
}

void bottomRuler(std::vector<RulerItem>& out, int w, int h, VbBool xAxisRight) {
    for (int i = 0; w - kSmallSpacing * i >= 1; ++i) {
        out.push_back(line(w - kSmallSpacing * i, h, w - kSmallSpacing * i, h + 14));
    }
    for (int i = 0; w - kUnitSpacing * i >= 1; ++i) {
        out.push_back(line(w - kUnitSpacing * i, h, w - kUnitSpacing * i, h + 22));
    }
    for (int i = 0; w - kUnitSpacing * i >= 1; ++i) {
        const int value = isTrue(xAxisRight) ? flippedStart(w) - i : i;
        out.push_back(text(w - kUnitSpacing * i - 2, h + 30, value));
    }
    for (int i = 0; w - kHalfSpacing * i >= 1; ++i) {
        out.push_back(line(w - kHalfSpacing * i, h, w - kHalfSpacing * i, h + 18));
    }
}

void rightRuler(std::vector<RulerItem>& out, int w, int h, VbBool yAxisDown) {
    for (int i = 0; h - kSmallSpacing * i >= 1; ++i) {
        out.push_back(line(w, h - kSmallSpacing * i, w + 14, h - kSmallSpacing * i));
    }
    for (int i = 0; h - kUnitSpacing * i >= 1; ++i) {
        out.push_back(line(w, h - kUnitSpacing * i, w + 23, h - kUnitSpacing * i));
    }
    for (int i = 0; h - kUnitSpacing * i >= 1; ++i) {
        const int value = isTrue(yAxisDown) ? flippedStart(h) - i : i;
        out.push_back(text(w + 30, h - kUnitSpacing * i - 5, value));
    }
    for (int i = 0; h - kHalfSpacing * i >= 1; ++i) {
        out.push_back(line(w, h - kHalfSpacing * i, w + 20, h - kHalfSpacing * i));
    }
}

} // namespace

std::vector<RulerItem> rulerItems(int areaW, int areaH, VbBool xAxisRight, VbBool yAxisDown) {
    std::vector<RulerItem> items;
    bottomRuler(items, areaW, areaH, xAxisRight);
    rightRuler(items, areaW, areaH, yAxisDown);
    return items;
}

} // namespace rulers
