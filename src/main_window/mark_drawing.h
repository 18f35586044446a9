#pragma once

#include <QColor>

namespace toolkit {
class PictureBox;
}

// The dots that show a mark: a light-yellow dot on the measuring area, and its projections
// on the two rulers, each a filled circle of radius 3 drawn in the surface's draw mode.
namespace marks {

inline constexpr double kDotRadius = 3.0;

void drawMarkDot(toolkit::PictureBox& measuringArea, double x, double y);

// The projection of a mark at (x, y): on the bottom ruler at (x, 253) in `bottom`, on the
// right ruler at (332, y) in `right`.
void drawRulerDots(toolkit::PictureBox& rulerArea, double x, double y, const QColor& bottom,
                   const QColor& right);

} // namespace marks
