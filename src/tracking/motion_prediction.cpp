#include "tracking/motion_prediction.h"

#include <QLineF>
#include <algorithm>

namespace tracking {

QPointF predictNext(std::span<const QPointF> past) {
    const std::size_t n = past.size();
    if (n == 0)
        return {};
    if (n == 1)
        return past[n - 1];
    if (n == 2)
        return 2 * past[1] - past[0];
    // Constant acceleration through the last three.
    return 3 * past[n - 1] - 3 * past[n - 2] + past[n - 3];
}

double predictionSlack(std::span<const QPointF> past, double least) {
    const std::size_t n = past.size();
    if (n < 3) // the velocity, or the acceleration, is not known yet: as far as it moved
        return std::max(least, n == 2 ? 0.5 * QLineF(past[0], past[1]).length() + least : least);
    // The last change of velocity: the prediction's error is about what it left out.
    const QPointF jerk = n >= 4 ? past[n - 1] - 3 * past[n - 2] + 3 * past[n - 3] - past[n - 4]
                                : past[n - 1] - 2 * past[n - 2] + past[n - 3];
    return least + 2 * std::hypot(jerk.x(), jerk.y());
}

} // namespace tracking
