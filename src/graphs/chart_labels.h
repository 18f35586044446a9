#pragma once

#include <QString>

// Tick labels of the charts. k counts the grid lines from the left (time) or from the
// bottom (values), 0..10; each label is worked out in single precision.
namespace graphs {

// Frames at vertical grid line k: 2k / horizontal magnification, "###0.0".
QString timeLabel(int k, float yokoBairitu);
// Unit lengths at row k of the s-t chart: (k - 1) / vertical magnification, "##.#0".
QString positionLabel(int k, float tateBairitu);
// Unit lengths per second at row k of the v-t chart: (20k - 100) / magnification, "##0.0".
QString velocityLabel(int k, float tateBairitu);
// An acceleration as printed above the chart, "####.0".
QString accelerationLabel(float a);

} // namespace graphs
