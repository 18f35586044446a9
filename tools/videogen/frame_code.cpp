#include "videogen/frame_code.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace videogen {

namespace {

constexpr int kColumns = 5;
constexpr int kRows = 5;
constexpr int kCells = kColumns * kRows;
constexpr double kMargin = 0.1;
constexpr double kCellWidth = (1.0 - 2 * kMargin) / kColumns;
constexpr double kCellHeight = (1.0 - 2 * kMargin) / kRows;

enum class Role { WhiteGuard, BlackGuard, Parity, Bit };

constexpr int kTopLeft = 0;
constexpr int kTopRight = kColumns - 1;
constexpr int kBottomLeft = kCells - kColumns;
constexpr int kBottomRight = kCells - 1;
constexpr int kParityCell = kCells / 2;

Role roleOf(int cell) {
    if (cell == kTopLeft || cell == kBottomRight)
        return Role::WhiteGuard;
    if (cell == kTopRight || cell == kBottomLeft)
        return Role::BlackGuard;
    if (cell == kParityCell)
        return Role::Parity;
    return Role::Bit;
}

// Cell colours for n, true for white; guards included.
std::array<bool, kCells> cellsFor(int n) {
    std::array<bool, kCells> white{};
    int bit = 0;
    bool parity = false;
    for (int cell = 0; cell < kCells; ++cell) {
        if (roleOf(cell) == Role::Bit) {
            white[cell] = ((n >> bit) & 1) != 0;
            parity ^= white[cell];
            ++bit;
        }
    }
    for (int cell = 0; cell < kCells; ++cell) {
        if (roleOf(cell) == Role::WhiteGuard)
            white[cell] = true;
        else if (roleOf(cell) == Role::Parity)
            white[cell] = parity;
    }
    return white;
}

double cellLeft(int cell) {
    return kMargin + (cell % kColumns) * kCellWidth;
}
double cellTop(int cell) {
    return kMargin + (cell / kColumns) * kCellHeight;
}

// Mean luma of a small square around (x, y); -1 when the centre lies outside the image.
int lumaAround(const QImage& image, double x, double y, int radius) {
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    if (cx < 0 || cy < 0 || cx >= image.width() || cy >= image.height())
        return -1;
    int sum = 0;
    int count = 0;
    for (int py = std::max(0, cy - radius); py <= std::min(image.height() - 1, cy + radius); ++py)
        for (int px = std::max(0, cx - radius); px <= std::min(image.width() - 1, cx + radius);
             ++px) {
            sum += qGray(image.pixel(px, py));
            ++count;
        }
    return sum / count;
}

} // namespace

void paintFrameCode(QImage& frame, int n) {
    n &= kMaxFrameCode;
    const int w = frame.width();
    const int h = frame.height();
    QPainter painter(&frame);
    painter.fillRect(frame.rect(), QColor(128, 128, 128));
    const auto white = cellsFor(n);
    for (int cell = 0; cell < kCells; ++cell) {
        const int left = static_cast<int>(std::lround(cellLeft(cell) * w));
        const int top = static_cast<int>(std::lround(cellTop(cell) * h));
        const int right = static_cast<int>(std::lround((cellLeft(cell) + kCellWidth) * w));
        const int bottom = static_cast<int>(std::lround((cellTop(cell) + kCellHeight) * h));
        // A grey gap between large cells keeps them apart for the eye; tiny frames have no room.
        const int insetX = (right - left) / 10;
        const int insetY = (bottom - top) / 10;
        painter.fillRect(QRect(QPoint(left + insetX, top + insetY),
                               QPoint(right - 1 - insetX, bottom - 1 - insetY)),
                         white[cell] ? Qt::white : Qt::black);
    }
}

int readFrameCode(const QImage& image, QRect displayed) {
    if (image.isNull() || displayed.width() <= 0 || displayed.height() <= 0)
        return -1;
    const double cellW = kCellWidth * displayed.width();
    const double cellH = kCellHeight * displayed.height();
    const int radius = static_cast<int>(std::min(cellW, cellH) * 0.2);

    std::array<int, kCells> luma{};
    for (int cell = 0; cell < kCells; ++cell) {
        const double x = displayed.x() + (cellLeft(cell) + kCellWidth / 2) * displayed.width();
        const double y = displayed.y() + (cellTop(cell) + kCellHeight / 2) * displayed.height();
        luma[cell] = lumaAround(image, x, y, radius);
        if (luma[cell] < 0)
            return -1;
    }

    const int whiteLevel = (luma[kTopLeft] + luma[kBottomRight]) / 2;
    const int blackLevel = (luma[kTopRight] + luma[kBottomLeft]) / 2;
    const int contrast = whiteLevel - blackLevel;
    if (contrast < 80)
        return -1;
    const int middle = (whiteLevel + blackLevel) / 2;
    const int doubt = contrast / 4;

    int n = 0;
    int bit = 0;
    bool parity = false;
    for (int cell = 0; cell < kCells; ++cell) {
        if (std::abs(luma[cell] - middle) < doubt)
            return -1;
        const bool white = luma[cell] > middle;
        switch (roleOf(cell)) {
        case Role::WhiteGuard:
            if (!white)
                return -1;
            break;
        case Role::BlackGuard:
            if (white)
                return -1;
            break;
        case Role::Parity:
            parity ^= white;
            break;
        case Role::Bit:
            parity ^= white;
            if (white)
                n |= 1 << bit;
            ++bit;
            break;
        }
    }
    return parity ? -1 : n;
}

} // namespace videogen
