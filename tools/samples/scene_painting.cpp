#include "samples/scene_painting.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace samples {

namespace {

// A fixed grain: the same picture on every machine, unlike the standard distributions.
int grain(int x, int y) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 0x8da6b343u ^ static_cast<std::uint32_t>(y) * 0xd8163841u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<int>(h % 9) - 4;
}

QRgb shade(int r, int g, int b, int delta) {
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    return qRgb(clamp(r + delta), clamp(g + delta), clamp(b + delta));
}

const QColor kBallRed(205, 38, 34);

} // namespace

QImage texturedBackground(QSize size, double tableTop) {
    QImage picture(size, QImage::Format_RGB32);
    const int top = static_cast<int>(tableTop);
    const int panel = std::max(size.height() / 4, 1);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int g = grain(x, y);
            if (y >= top) {
                row[x] = shade(176, 160, 140, g + ((x / 7 + y / 3) % 5 == 0 ? -3 : 0));
            } else {
                // Faint joints between the wall's panels.
                const bool joint =
                    y % panel == panel - 1 || (x + (y / panel) * panel / 2) % (2 * panel) == 0;
                row[x] = shade(218, 214, 204, g + (joint ? -10 : 0));
            }
        }
    }
    return picture;
}

void paintScaleBar(QImage& picture, QPointF topLeft, double blockLength, double thickness) {
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    for (int block = 0; block < 4; ++block) {
        p.setBrush(block % 2 == 0 ? Qt::black : Qt::white);
        p.drawRect(QRectF(topLeft.x() + block * blockLength, topLeft.y(), blockLength, thickness));
    }
    // End ticks, so the bar's length reads even where a block meets a light wall.
    p.setBrush(Qt::black);
    const double tick = std::max(1.0, thickness / 4);
    for (double x : {topLeft.x() - tick, topLeft.x() + 4 * blockLength})
        p.drawRect(QRectF(x, topLeft.y() - thickness / 2, tick, thickness * 2));
}

void paintMetreStick(QImage& picture, QPointF top, QPointF bottom, double scale) {
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    // A pixel's middle is half a pixel in from its corner.
    const QPointF half(0.5 * scale, 0.5 * scale);
    const QPointF from = top + half;
    const QPointF to = bottom + half;
    const double width = 6 * scale;
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(from.x() - width / 2, from.y(), width, to.y() - from.y()));
    p.setBrush(Qt::black);
    for (int tenth = 1; tenth < 10; ++tenth) {
        const double y = from.y() + (to.y() - from.y()) * tenth / 10;
        p.drawRect(QRectF(from.x() - width / 2, y - 0.5 * scale, width / 2, scale));
    }
    for (const QPointF end : {from, to})
        p.drawRect(QRectF(end.x() - width, end.y() - 0.5 * scale, 2 * width, scale));
}

void paintBall(QImage& picture, QPointF centre, double radius) {
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBallRed);
    p.drawEllipse(centre, radius, radius);
}

void paintTrack(QImage& picture, double railTop, double scale) {
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 96, 100));
    p.drawRect(QRectF(0, railTop, picture.width(), 4 * scale));
    p.setBrush(QColor(150, 150, 154));
    p.drawRect(QRectF(0, railTop, picture.width(), 1 * scale));
}

void paintCart(QImage& picture, QPointF marker, double markerRadius, double scale) {
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRectF body(marker.x() - 28 * scale, marker.y() - 11 * scale, 56 * scale, 22 * scale);
    p.setBrush(QColor(52, 84, 168));
    p.drawRoundedRect(body, 3 * scale, 3 * scale);
    p.setBrush(QColor(40, 40, 44));
    const double wheelY = body.bottom() + 5 * scale;
    for (double wx : {body.left() + 12 * scale, body.right() - 12 * scale})
        p.drawEllipse(QPointF(wx, wheelY), 6 * scale, 6 * scale);
    p.setBrush(QColor(235, 235, 235));
    p.drawEllipse(marker, markerRadius + 2 * scale, markerRadius + 2 * scale);
    p.setBrush(kBallRed);
    p.drawEllipse(marker, markerRadius, markerRadius);
}

} // namespace samples
