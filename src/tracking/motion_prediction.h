#pragma once

#include <QPointF>
#include <span>

// Where a moving object will be a step on, from where it was at the steps before (all the
// same number of frames apart): held still, moved on at its last velocity, or with its last
// acceleration too, as far as the past tells.
namespace tracking {

QPointF predictNext(std::span<const QPointF> past);

// How far the object may be from the prediction: the change the last step brought to the
// motion, plus a margin for a prediction from few steps. At least `least`.
double predictionSlack(std::span<const QPointF> past, double least);

} // namespace tracking
