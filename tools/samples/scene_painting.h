#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>

// The pieces the sample scenes are drawn from, in source pixels. Colours are chosen so that
// the disc a user clicks is the only strongly red thing in a picture.
namespace samples {

// A pale wall above a table top, with a faint, fixed grain so the picture does not look
// synthetic and the codecs have some detail to carry.
QImage texturedBackground(QSize size, double tableTop);

// A bar of four alternating black and white blocks; `blockLength` is one block.
void paintScaleBar(QImage& picture, QPointF topLeft, double blockLength, double thickness);

// A metre stick from the pixel `top` to the pixel `bottom` (straight up), white with a black
// tick every tenth, black caps across both ends so that they are plain to click.
void paintMetreStick(QImage& picture, QPointF top, QPointF bottom, double scale);

// A solid red disc centred at `centre` (painting coordinates), smoothly edged.
void paintBall(QImage& picture, QPointF centre, double radius);

// A track, and a blue cart on it whose red marker disc is centred at `marker`.
void paintTrack(QImage& picture, double railTop, double scale);
void paintCart(QImage& picture, QPointF marker, double markerRadius, double scale);

} // namespace samples
