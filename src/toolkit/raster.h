#pragma once

#include "toolkit/picture_box.h"

#include <QPoint>
#include <QPointF>
#include <vector>

// Pixel geometry of the drawing operations, without anti-aliasing, so that every figure
// covers a set of whole pixels that tests can name and that XOR can combine exactly once.
namespace toolkit::raster {

using Pixels = std::vector<QPoint>;

// The pixel a point falls in: halves go to the right and down.
QPoint snap(QPointF p);

// From a towards b, leaving out b itself as a GDI line does. Wider lines stamp a square
// of width pixels around each point; dotted lines run 3 pixels on, 3 off.
Pixels line(QPoint a, QPoint b, int width, LineStyle style);

// The closed outline of the rectangle with corners a and b (both corners included).
Pixels boxOutline(QPoint a, QPoint b, int width);
// The pixels strictly inside that outline.
Pixels boxInterior(QPoint a, QPoint b);

// A round dot: the pixels within radius + 0.5 of the centre, so radius 3 gives 7 pixels
// across with no spike at the ends of its axes.
Pixels disc(QPoint centre, double radius);
// The pixels of that disc that touch a pixel outside it (4-neighbourhood).
Pixels discOutline(QPoint centre, double radius);

// Sorted, without repeats: a pixel listed twice would be XOR-combined twice.
void normalise(Pixels& pixels);

} // namespace toolkit::raster
