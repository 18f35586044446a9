#include "toolkit/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace toolkit::raster {

namespace {

void stamp(Pixels& out, QPoint p, int width) {
    if (width <= 1) {
        out.push_back(p);
        return;
    }
    const int before = width / 2;
    for (int dy = -before; dy < width - before; ++dy) {
        for (int dx = -before; dx < width - before; ++dx) {
            out.emplace_back(p.x() + dx, p.y() + dy);
        }
    }
}

bool insideDisc(int dx, int dy, double radius) {
    const double limit = radius + 0.5;
    return dx * dx + dy * dy <= limit * limit;
}

} // namespace

QPoint snap(QPointF p) {
    return {static_cast<int>(std::floor(p.x() + 0.5)), static_cast<int>(std::floor(p.y() + 0.5))};
}

Pixels line(QPoint a, QPoint b, int width, LineStyle style) {
    Pixels out;
    const int dx = std::abs(b.x() - a.x());
    const int dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1;
    const int sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy;
    QPoint p = a;
    for (int step = 0; p != b; ++step) {
        if (style == LineStyle::Solid || step % 6 < 3) {
            stamp(out, p, width);
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.ry() += sy;
        }
    }
    return out;
}

Pixels boxOutline(QPoint a, QPoint b, int width) {
    const QPoint corners[4] = {a, {b.x(), a.y()}, b, {a.x(), b.y()}};
    Pixels out;
    for (int i = 0; i < 4; ++i) {
        Pixels side = line(corners[i], corners[(i + 1) % 4], width, LineStyle::Solid);
        out.insert(out.end(), side.begin(), side.end());
    }
    if (a == b) {
        stamp(out, a, width);
    }
    normalise(out);
    return out;
}

Pixels boxInterior(QPoint a, QPoint b) {
    Pixels out;
    const int left = std::min(a.x(), b.x()) + 1;
    const int right = std::max(a.x(), b.x()) - 1;
    const int top = std::min(a.y(), b.y()) + 1;
    const int bottom = std::max(a.y(), b.y()) - 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            out.emplace_back(x, y);
        }
    }
    return out;
}

Pixels disc(QPoint centre, double radius) {
    Pixels out;
    const int reach = static_cast<int>(std::ceil(radius + 0.5));
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (insideDisc(dx, dy, radius)) {
                out.emplace_back(centre.x() + dx, centre.y() + dy);
            }
        }
    }
    return out;
}

Pixels discOutline(QPoint centre, double radius) {
    Pixels out;
    for (const QPoint& p : disc(centre, radius)) {
        const int dx = p.x() - centre.x();
        const int dy = p.y() - centre.y();
        if (!insideDisc(dx + 1, dy, radius) || !insideDisc(dx - 1, dy, radius) ||
            !insideDisc(dx, dy + 1, radius) || !insideDisc(dx, dy - 1, radius)) {
            out.push_back(p);
        }
    }
    return out;
}

void normalise(Pixels& pixels) {
    auto less = [](const QPoint& l, const QPoint& r) {
        return l.y() != r.y() ? l.y() < r.y() : l.x() < r.x();
    };
    std::sort(pixels.begin(), pixels.end(), less);
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
}

} // namespace toolkit::raster
