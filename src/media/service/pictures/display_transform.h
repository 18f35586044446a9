#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <cstdint>

namespace media::service {

// How a stored picture is turned to stand as it was filmed: a phone records its sensor's
// landscape picture and says in the stream's display matrix that it is to be shown turned
// (portrait) and, from a front camera, mirrored. Right angles only: any other angle is taken
// to the nearest one.
struct DisplayTransform {
    int clockwiseQuarters = 0; // 0..3: turned by 90 degrees this many times, clockwise
    bool mirrored = false;     // flipped left to right before turning

    bool isIdentity() const { return clockwiseQuarters == 0 && !mirrored; }
    bool swapsSides() const { return clockwiseQuarters % 2 != 0; }
    friend bool operator==(const DisplayTransform&, const DisplayTransform&) = default;
};

// From a display matrix as FFmpeg stores it (nine 32-bit fixed-point values, row by row);
// the identity when there is none or it is degenerate.
DisplayTransform displayTransformFromMatrix(const std::int32_t* matrix);

// A stored picture's display shape once transformed.
QSizeF transformedShape(QSizeF stored, DisplayTransform transform);
// The size a picture must be scaled to, so that once transformed it is `shown`.
QSize storedSizeFor(QSize shown, DisplayTransform transform);
// The picture as it is shown.
QImage transformed(const QImage& stored, DisplayTransform transform);
// Writes the picture as it is shown into `shown` (RGB32, of the transformed size), so that
// its memory can be reused.
void transformInto(const QImage& stored, DisplayTransform transform, QImage& shown);

} // namespace media::service
