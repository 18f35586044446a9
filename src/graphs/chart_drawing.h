#pragma once

#include "measurement/time_base.h"
#include <QColor>
#include <QString>

#include <functional>
#include <optional>
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

// The time axis counts frames: its grid lines are two frames apart whatever a frame lasts,
// and its caption says how long one is ("×1/30秒" unless the user chose another time).
// Times in seconds are placed on it by the seconds they would be at 1/30 s a frame, that is
// divided by `stretch` (measurement::TimeBase::stretch, 1 at the counted rate).

// Clears the picture and draws frame, axis, dotted grid, labels, titles and legend.
void drawEmptyChart(toolkit::PictureBox& pic, const ChartFace& face, float yokoBairitu,
                    double framesPerSecond = measurement::kCountedFramesPerSecond);

// Dots of radius 2 at (times[k], values[k]) in order. The series ends at its first dot
// outside the plot rectangle; a dot on the frame is still drawn.
void plotDotSeries(toolkit::PictureBox& pic, std::span<const float> times,
                   std::span<const float> values, double (*toChartY)(double, float),
                   float tateBairitu, float yokoBairitu, const QColor& colour,
                   double stretch = 1.0);

// A fitted line or curve, one pixel per step of 0.001 s at 1/30 s a frame and magnification
// 1, across the whole plot width at any magnification. `chartYAt` maps a time in seconds to
// chart y. Pixels on the frame or outside it are skipped.
void drawFitCurve(toolkit::PictureBox& pic, float yokoBairitu,
                  const std::function<double(double t)>& chartYAt, const QColor& colour,
                  double stretch = 1.0);

// "加速度aｘ=" ... above the top right corner of the plot.
void printAccelerations(toolkit::PictureBox& pic, float ax, float ay);
// With a length reference, the same in m/s², just before each.
void printAccelerationsInMetres(toolkit::PictureBox& pic, float ax, float ay, double metresPerUnit);
// The acceleration in metres per second squared as printed beside its unit-length form.
QString siAccelerationText(float unitsPerSecondSquared, double metresPerUnit);

} // namespace graphs
