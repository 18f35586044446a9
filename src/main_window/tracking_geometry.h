#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>

// Between the measuring area and a picture at the video's own size. The picture lies in the
// area at `shownAt`, scaled to it (its sides each at their own scale where the video's
// pixels are not square). A mark (X, Y) names the pixel whose middle is (X + 0.5, Y + 0.5);
// a point of the picture is given the same way, as its continuous position.
namespace tracking_geometry {

QPointF markToPicture(QPointF mark, QRect shownAt, QSize picture);
QPointF pictureToMark(QPointF point, QRect shownAt, QSize picture);
// How many of the picture's pixels one pixel of the measuring area spans, the larger way.
double pictureScale(QRect shownAt, QSize picture);

} // namespace tracking_geometry
