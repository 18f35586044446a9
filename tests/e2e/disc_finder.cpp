#include "disc_finder.h"

#include <QColor>
#include <algorithm>

namespace e2etest {

namespace {

// Red minus the larger of green and blue: about 170 inside the disc, near 0 on the pale
// wall, the blue cart, the black and white scale bar and the program's light-yellow mark
// dots. Between the two limits a pixel counts by its share, which keeps the centre of a
// smoothly edged disc where it belongs.
constexpr double kNotRed = 30.0;
constexpr double kFullyRed = 150.0;
constexpr double kMinimumArea = 20.0; // pixels: a disc of radius 5 covers about 78

double redShare(QRgb pixel) {
    const double redness = qRed(pixel) - std::max(qGreen(pixel), qBlue(pixel));
    return std::clamp((redness - kNotRed) / (kFullyRed - kNotRed), 0.0, 1.0);
}

} // namespace

std::optional<QPointF> findRedDisc(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    double area = 0.0;
    double sumX = 0.0;
    double sumY = 0.0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const double share = redShare(row[x]);
            area += share;
            sumX += share * x;
            sumY += share * y;
        }
    }
    if (area < kMinimumArea)
        return std::nullopt;
    return QPointF(sumX / area, sumY / area);
}

} // namespace e2etest
