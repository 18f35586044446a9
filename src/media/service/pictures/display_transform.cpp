#include "media/service/pictures/display_transform.h"

#include <cmath>

namespace media::service {

namespace {

// A point (x, y) of the stored picture, y downwards, goes to (x, y) M on the screen, with M
// the matrix's upper-left 2 x 2 block: M transposed, as below, acts on columns. The four
// turns clockwise, as such column matrices:
constexpr int kTurns[4][4] = {{1, 0, 0, 1}, {0, -1, 1, 0}, {-1, 0, 0, -1}, {0, 1, -1, 0}};

int sign(double v) {
    return v < 0 ? -1 : 1;
}

} // namespace

DisplayTransform displayTransformFromMatrix(const std::int32_t* matrix) {
    if (!matrix)
        return {};
    const double a = matrix[0], b = matrix[3], c = matrix[1], d = matrix[4];
    if (std::abs(a) + std::abs(b) + std::abs(c) + std::abs(d) == 0)
        return {};
    // The nearest right angle: the larger diagonal wins.
    int m[4] = {0, 0, 0, 0};
    if (std::abs(a) + std::abs(d) >= std::abs(b) + std::abs(c)) {
        m[0] = sign(a);
        m[3] = sign(d);
    } else {
        m[1] = sign(b);
        m[2] = sign(c);
    }
    DisplayTransform transform;
    transform.mirrored = m[0] * m[3] - m[1] * m[2] < 0;
    if (transform.mirrored) { // M = turn * mirror, and the mirror is its own inverse
        m[0] = -m[0];
        m[2] = -m[2];
    }
    for (int q = 0; q < 4; ++q)
        if (m[0] == kTurns[q][0] && m[1] == kTurns[q][1] && m[2] == kTurns[q][2] &&
            m[3] == kTurns[q][3])
            transform.clockwiseQuarters = q;
    return transform;
}

QSizeF transformedShape(QSizeF stored, DisplayTransform transform) {
    return transform.swapsSides() ? stored.transposed() : stored;
}

QSize storedSizeFor(QSize shown, DisplayTransform transform) {
    return transform.swapsSides() ? shown.transposed() : shown;
}

void transformInto(const QImage& stored, DisplayTransform transform, QImage& shown) {
    const int w = stored.width(), h = stored.height();
    if (stored.format() != QImage::Format_RGB32 || shown.format() != QImage::Format_RGB32 ||
        shown.size() != transformedShape(stored.size(), transform).toSize())
        return;
    const int quarters = transform.clockwiseQuarters;
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            // Where this pixel was before the turn, then before the mirror.
            int sx = x, sy = y;
            if (quarters == 1) {
                sx = y;
                sy = h - 1 - x;
            } else if (quarters == 2) {
                sx = w - 1 - x;
                sy = h - 1 - y;
            } else if (quarters == 3) {
                sx = w - 1 - y;
                sy = x;
            }
            if (transform.mirrored)
                sx = w - 1 - sx;
            line[x] = reinterpret_cast<const QRgb*>(stored.constScanLine(sy))[sx];
        }
    }
}

QImage transformed(const QImage& stored, DisplayTransform transform) {
    if (transform.isIdentity() || stored.isNull())
        return stored;
    const QImage source = stored.convertToFormat(QImage::Format_RGB32);
    QImage shown(transform.swapsSides() ? source.size().transposed() : source.size(),
                 QImage::Format_RGB32);
    transformInto(source, transform, shown);
    return shown;
}

} // namespace media::service
