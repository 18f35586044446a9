#pragma once

#include <QImage>
#include <QRect>

namespace videogen {

// A frame number drawn as a grid of large black and white cells on a mid-grey field, so a
// test can tell which frame a decoded, scaled, letterboxed or slightly clipped picture shows.
// The grid of 5 x 5 cells sits inside a 10% margin: white guard cells at the top-left and
// bottom-right corners, black ones at the other two (so a picture stored upside down or
// mirrored does not read), 20 number bits and an even-parity cell. Only cell centres are
// read, so blocky compression and scaling at cell edges do no harm.
inline constexpr int kMaxFrameCode = (1 << 20) - 1;

// Fills the whole frame with the pattern for n (0..kMaxFrameCode; higher bits are dropped).
void paintFrameCode(QImage& frame, int n);

// The number painted into the frame that sits at `displayed` inside `image` (the frame may
// reach past the image's edges), or -1 when the guard or parity cells do not agree, a cell
// is neither clearly black nor clearly white, or a cell centre lies outside the image.
int readFrameCode(const QImage& image, QRect displayed);

} // namespace videogen
