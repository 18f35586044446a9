#pragma once

// Geometry of the two charts, in a user scale of 637 x 461 units (one unit per pixel at
// the designed size). The plot rectangle has ten tick intervals each way; one horizontal
// tick is 2 frames (1/15 s) at magnification 1. The mappings work in double precision;
// the drawing calls take the result as a float.
namespace graphs {

inline constexpr double kScaleWidth = 637.0;
inline constexpr double kScaleHeight = 461.0;

inline constexpr int kPlotLeft = 50;
inline constexpr int kPlotRight = 600;
inline constexpr int kPlotTop = 50;
inline constexpr int kPlotBottom = 410;
inline constexpr int kTicks = 10;
inline constexpr int kTickX = (kPlotRight - kPlotLeft) / kTicks; // 55
inline constexpr int kTickY = (kPlotBottom - kPlotTop) / kTicks; // 36
inline constexpr double kSecondsPerTickX = 1.0 / 15.0;

// Row of position 0 in the s-t chart: one tick above the bottom, so -1 is still on it.
inline constexpr int kPositionZeroRow = kPlotBottom - (kPlotBottom - kPlotTop) / kTicks; // 374
// Row of velocity 0 in the v-t chart: the middle, for -100..100 units/s at magnification 1.
inline constexpr int kVelocityZeroRow = 460 / 2;  // 230
inline constexpr double kVelocityPerTickY = 20.0; // unit lengths per second

// Time in seconds -> chart x.
double chartX(double t, float yokoBairitu);
// Position in unit lengths -> chart y of the s-t chart.
double positionY(double s, float tateBairitu);
// Velocity in unit lengths per second -> chart y of the v-t chart.
double velocityY(double v, float tateBairitu);

// A dot is drawn when it lies inside the plot rectangle or on its frame. Anything else,
// a value that is not a number included, ends its series.
bool dotInsidePlot(double x, double y);
// A point of a fitted line is considered only strictly inside (never a value that is not
// a number); the pixel it rounds to is tested again where it is drawn.
bool pixelInsidePlot(float x, float y);

} // namespace graphs
