#include "graphs/chart_drawing.h"

#include "common/palette.h"
#include "graphs/chart_labels.h"
#include "graphs/chart_mapping.h"
#include "toolkit/picture_box.h"

#include <algorithm>
#include <cmath>

namespace graphs {

namespace {

using toolkit::FillStyle;
using toolkit::LineStyle;
using toolkit::PictureBox;

constexpr double kDotRadius = 2.0;
constexpr double kLabelFontSize = 10.0;
constexpr double kTitleFontSize = 14.0;
// Practically black, yet not the black of the grid: red 10 of 255.
const QColor kAccelerationColour(10, 0, 0);
// Where the readout in m/s² ends: a few units before "加速度aｘ=".
constexpr double kSiReadoutEnd = 446.0;

void printAt(PictureBox& pic, double x, double y, const QString& text) {
    pic.setCurrentX(x);
    pic.setCurrentY(y);
    pic.printText(text);
}

void drawTimeGrid(PictureBox& pic, float yokoBairitu, double framesPerSecond) {
    const QColor black = common::QBColor(common::Black);
    pic.setDrawStyle(LineStyle::Dot);
    for (int k = 0; k <= kTicks; ++k) {
        const int x = kPlotLeft + kTickX * k;
        pic.drawLine(x, kPlotBottom, x, kPlotTop, black);
    }
    pic.setForeColor(black);
    pic.setFontSize(kLabelFontSize);
    for (int k = 0; k <= kTicks; ++k)
        printAt(pic, kPlotLeft + kTickX * k - 6, 420, timeLabel(k, yokoBairitu));
    printAt(pic, 314, 440, QStringLiteral("時間 ｔ"));
    // Another rate's caption ends where the counted one does.
    const QString counted = QStringLiteral("×1/30秒");
    const QString caption = QStringLiteral("×1/%1秒").arg(measurement::rateText(framesPerSecond));
    printAt(pic, std::floor(570 + pic.textWidth(counted) - pic.textWidth(caption)), 440, caption);
}

void drawValueGrid(PictureBox& pic, const ChartFace& face) {
    const QColor black = common::QBColor(common::Black);
    pic.setDrawStyle(LineStyle::Dot);
    for (int k = 0; k <= kTicks; ++k) {
        const int y = kPlotTop + kTickY * k;
        pic.drawLine(kPlotLeft, y, kPlotRight, y, black);
    }
    pic.setForeColor(black);
    for (int k = 0; k <= kTicks; ++k)
        printAt(pic, 10, kPlotBottom - kTickY * k - 5, face.valueLabel(k));
}

void drawTitles(PictureBox& pic, const ChartFace& face) {
    pic.setForeColor(common::QBColor(common::Black));
    pic.setFontSize(kLabelFontSize);
    printAt(pic, 10, 14, face.unit);
    pic.setFontSize(kTitleFontSize);
    printAt(pic, 270, 14, face.title);
    printAt(pic, 310, 14, face.xLegend);
    pic.setForeColor(common::QBColor(common::LightBlue));
    pic.setFontSize(kTitleFontSize);
    printAt(pic, 340, 14, face.yLegend);
}

} // namespace

void drawEmptyChart(PictureBox& pic, const ChartFace& face, float yokoBairitu,
                    double framesPerSecond) {
    pic.setUserScale(0, 0, kScaleWidth, kScaleHeight);
    pic.clear();

    const QColor black = common::QBColor(common::Black);
    pic.setDrawStyle(LineStyle::Solid);
    pic.setFillStyle(FillStyle::Transparent);
    pic.drawBox(kPlotLeft, kPlotBottom, kPlotRight, kPlotTop, black);
    pic.drawLine(kPlotLeft, face.axisRow, kPlotRight, face.axisRow, black);

    drawTimeGrid(pic, yokoBairitu, framesPerSecond);
    drawValueGrid(pic, face);
    drawTitles(pic, face);
}

void plotDotSeries(PictureBox& pic, std::span<const float> times, std::span<const float> values,
                   double (*toChartY)(double, float), float tateBairitu, float yokoBairitu,
                   const QColor& colour, double stretch) {
    const std::size_t count = std::min(times.size(), values.size());
    for (std::size_t k = 0; k < count; ++k) {
        const double x = chartX(times[k] / stretch, yokoBairitu);
        const double y = toChartY(values[k], tateBairitu);
        if (!dotInsidePlot(x, y))
            return;
        pic.setFillColor(colour);
        pic.drawCircle(static_cast<float>(x), static_cast<float>(y), kDotRadius, colour);
    }
}

void drawFitCurve(PictureBox& pic, float yokoBairitu,
                  const std::function<double(double t)>& chartYAt, const QColor& colour,
                  double stretch) {
    const double step = 0.001 / yokoBairitu;
    const double end = (kSecondsPerTickX * kTicks) / yokoBairitu;
    // Tested on the pixel that is set: a value just inside the frame may round onto it.
    const QRect inside =
        QRect(pic.pixelAt(kPlotLeft, kPlotTop), pic.pixelAt(kPlotRight, kPlotBottom))
            .adjusted(1, 1, -1, -1);
    for (double t = 0.0; t <= end; t += step) {
        const auto x = static_cast<float>(chartX(t, yokoBairitu));
        const auto y = static_cast<float>(chartYAt(t * stretch));
        if (pixelInsidePlot(x, y) && inside.contains(pic.pixelAt(x, y)))
            pic.setPixel(x, y, colour);
    }
}

void printAccelerations(PictureBox& pic, float ax, float ay) {
    pic.setFontSize(kLabelFontSize);
    pic.setForeColor(kAccelerationColour);
    printAt(pic, 450, 10, QStringLiteral("加速度aｘ="));
    printAt(pic, 515, 10, accelerationLabel(ax));
    printAt(pic, 555, 10, QStringLiteral("単位長／ｓｓ"));
    printAt(pic, 450, 28, QStringLiteral("加速度aｙ="));
    printAt(pic, 515, 28, accelerationLabel(ay));
    printAt(pic, 555, 28, QStringLiteral("単位長／ｓｓ"));
}

void printAccelerationsInMetres(PictureBox& pic, float ax, float ay, double metresPerUnit) {
    pic.setFontSize(kLabelFontSize);
    pic.setForeColor(kAccelerationColour);
    // Ending just before the readout, clear of the legend.
    for (const auto& [a, y] : {std::pair{ax, 10}, std::pair{ay, 28}}) {
        const QString text = siAccelerationText(a, metresPerUnit);
        printAt(pic, std::floor(kSiReadoutEnd - pic.textWidth(text)), y, text);
    }
}

QString siAccelerationText(float unitsPerSecondSquared, double metresPerUnit) {
    const double value = static_cast<double>(unitsPerSecondSquared) * metresPerUnit;
    // No "-0.00" for a value that rounds to nothing.
    const double shown = std::abs(value) < 0.005 ? 0.0 : value;
    return QStringLiteral("(%1 m/s²)").arg(shown, 0, 'f', 2);
}

} // namespace graphs
