#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <span>

namespace toolkit {
class PictureBox;
}

// Drawing shared by the s-t and v-t charts: the empty chart, the series of dots, the fitted
// curves and the acceleration readout. Everything draws in the chart's user scale.
namespace graphs {

// What tells the two empty charts apart.
struct ChartFace {
    int axisRow;                              // the solid line across the plot
    std::function<QString(int k)> valueLabel; // label of grid row k, counted from the bottom
    QString unit;                             // above the value labels
    QString title;                            // what the chart shows
    QString xLegend;                          // in black
    QString yLegend;                          // in light blue
};

// Clears the picture and draws frame, axis, dotted grid, labels, titles and legend.
void drawEmptyChart(toolkit::PictureBox& pic, const ChartFace& face, float yokoBairitu);

// Dots of radius 2 at (times[k], values[k]) in order. The series ends at its first dot
// outside the plot rectangle; a dot on the frame is still drawn.
void plotDotSeries(toolkit::PictureBox& pic, std::span<const float> times,
                   std::span<const float> values, double (*toChartY)(double, float),
                   float tateBairitu, float yokoBairitu, const QColor& colour);

// A fitted line or curve, one pixel per step of 0.001 s at magnification 1, across the
// whole plot width at any magnification. `chartYAt` maps a time to chart y. Pixels on the
// frame or outside it are skipped.
void drawFitCurve(toolkit::PictureBox& pic, float yokoBairitu,
                  const std::function<double(double t)>& chartYAt, const QColor& colour);

// "加速度aｘ=" ... above the top right corner of the plot.
void printAccelerations(toolkit::PictureBox& pic, float ax, float ay);

} // namespace graphs
