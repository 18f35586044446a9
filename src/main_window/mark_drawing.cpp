#include "main_window/mark_drawing.h"

#include "common/palette.h"
#include "main_window/ruler_geometry.h"
#include "toolkit/picture_box.h"

namespace marks {

namespace {

void filledCircle(toolkit::PictureBox& box, double x, double y, const QColor& colour) {
    box.setFillColor(colour);
    box.drawCircle(x, y, kDotRadius, colour);
}

} // namespace

void drawMarkDot(toolkit::PictureBox& measuringArea, double x, double y) {
    measuringArea.setFillStyle(toolkit::FillStyle::Solid);
    filledCircle(measuringArea, x, y, common::QBColor(common::LightYellow));
}

void drawRulerDots(toolkit::PictureBox& rulerArea, double x, double y, const QColor& bottom,
                   const QColor& right) {
    rulerArea.setFillStyle(toolkit::FillStyle::Solid);
    filledCircle(rulerArea, x, rulers::kBottomDotRow, bottom);
    filledCircle(rulerArea, rulers::kRightDotColumn, y, right);
}

} // namespace marks
