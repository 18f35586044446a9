#include "common/palette.h"

#include <array>

namespace common {

namespace {
constexpr std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
    qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
    qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
};
} // namespace

QColor QBColor(int n) {
    return QColor::fromRgb(kPalette[static_cast<std::size_t>(n & 15)]);
}

QColor formBackground() {
    return QColor::fromRgb(192, 192, 192);
}

} // namespace common
