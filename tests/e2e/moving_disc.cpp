#include "moving_disc.h"

#include "samples/scene_painting.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <memory>
#include <vector>

namespace e2etest {

namespace {

constexpr int kExposureSteps = 9;
const QColor kDiscRed(205, 38, 34);

// `turn`: the stripe's angle, or NaN for a plain disc.
void paintDisc(QImage& frame, QPointF at, double radius, double turn) {
    QPainter p(&frame);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kDiscRed);
    p.drawEllipse(at, radius, radius);
    if (std::isnan(turn))
        return;
    QPainterPath disc;
    disc.addEllipse(at, radius, radius);
    p.setClipPath(disc);
    p.translate(at);
    p.rotate(turn * 180.0 / 3.14159265358979323846);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(-radius, -radius / 4, 2 * radius, radius / 2));
}

} // namespace

videogen::VideoSettings discVideo(const MovingDisc& scene, videogen::VideoSettings stored) {
    const auto wall = std::make_shared<const QImage>(
        samples::texturedBackground(scene.upright, scene.upright.height()));
    stored.fpsNum = int(std::lround(scene.fps));
    stored.painter = [scene, wall](QImage& frame, int n) {
        const double t = n / scene.fps;
        const double turn = scene.turn ? scene.turn(t) : std::nan("");
        // The picture while the shutter is open: the average of the moments it sees.
        const int steps = scene.exposure > 0 ? kExposureSteps : 1;
        std::vector<double> sum(std::size_t(frame.width()) * frame.height() * 3, 0.0);
        for (int s = 0; s < steps; ++s) {
            const double at =
                t + (steps > 1 ? scene.exposure * (double(s) / (steps - 1) - 0.5) : 0);
            QImage moment = wall->convertToFormat(QImage::Format_RGB32);
            if (scene.twin)
                paintDisc(moment, *scene.twin, scene.radius, std::nan(""));
            paintDisc(moment, scene.centre(at), scene.radius, turn);
            for (int y = 0; y < moment.height(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(moment.constScanLine(y));
                for (int x = 0; x < moment.width(); ++x) {
                    double* cell = &sum[(std::size_t(y) * moment.width() + x) * 3];
                    cell[0] += qRed(row[x]), cell[1] += qGreen(row[x]), cell[2] += qBlue(row[x]);
                }
            }
        }
        const double scale = (scene.light ? scene.light(t) : 1.0) / steps;
        for (int y = 0; y < frame.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
            for (int x = 0; x < frame.width(); ++x) {
                const double* cell = &sum[(std::size_t(y) * frame.width() + x) * 3];
                const auto level = [&](int c) {
                    return std::clamp(int(std::lround(cell[c] * scale)), 0, 255);
                };
                row[x] = qRgb(level(0), level(1), level(2));
            }
        }
        if (scene.box) {
            QPainter p(&frame);
            p.fillRect(*scene.box, QColor(90, 100, 110));
        }
    };
    return stored;
}

} // namespace e2etest
