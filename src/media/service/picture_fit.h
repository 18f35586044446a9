#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace media::service {

// Where a picture of this display shape sits in the destination: as large as fits with
// its aspect ratio kept, centred. A 4:3 picture fills a 4:3 destination exactly.
QRect fittedRect(QSizeF picture, QSize destination);

// The destination as the video window shows it: black, with the picture (already scaled
// to the fitted size) in its fitted place.
QImage composedFrame(const QImage& picture, QSizeF pictureShape, QSize destination);

} // namespace media::service
