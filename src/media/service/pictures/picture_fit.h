#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace media::service {

// No screen is wider or taller. Every picture of a video is made at its destination's size,
// so a larger one, asked for or claimed by a file, would take gigabytes.
inline constexpr int kLargestPictureSide = 4096;

// A picture's display shape in whole pixels, at least 1 and at most kLargestPictureSide a
// side, its aspect ratio kept as far as whole pixels allow.
QSize boundedSize(QSizeF shape);

// Where a picture of this display shape sits in the destination: as large as fits with
// its aspect ratio kept, centred. A 4:3 picture fills a 4:3 destination exactly.
QRect fittedRect(QSizeF picture, QSize destination);

// The destination as the video window shows it: black, with the picture (already scaled
// to the fitted size) in its fitted place.
QImage composedFrame(const QImage& picture, QSizeF pictureShape, QSize destination);

} // namespace media::service
