#include "graphs/chart_mapping.h"

namespace graphs {

double chartX(double t, float yokoBairitu) {
    return kPlotLeft + (t * kTickX / kSecondsPerTickX) * yokoBairitu;
}

double positionY(double s, float tateBairitu) {
    return kPositionZeroRow - (s * kTickY / 1.0) * tateBairitu;
}

double velocityY(double v, float tateBairitu) {
    return kVelocityZeroRow - (v * kTickY / kVelocityPerTickY) * tateBairitu;
}

bool dotInsidePlot(double x, double y) {
    return x >= kPlotLeft && x <= kPlotRight && y >= kPlotTop && y <= kPlotBottom;
}

bool pixelInsidePlot(float x, float y) {
    return x > kPlotLeft && x < kPlotRight && y > kPlotTop && y < kPlotBottom;
}

} // namespace graphs
