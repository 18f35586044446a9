#pragma once

#include "videogen/video_settings.h"

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <functional>
#include <optional>

// A disc that moves along a known path, drawn as a camera films it: on a lightly grained
// wall, blurred over the exposure where asked, turning (a stripe through it) where asked,
// under light that changes where asked, beside a second disc of its colour, behind a box.
namespace e2etest {

struct MovingDisc {
    QSize upright{320, 240};                 // the picture as shown, in source pixels
    double fps = 30;                         // frames per second
    std::function<QPointF(double t)> centre; // source pixels, a pixel's middle at i + 0.5
    double radius = 7;
    double exposure = 0;                   // seconds the shutter is open, centred on t
    std::function<double(double t)> turn;  // the stripe's angle in radians, if any
    std::function<double(double t)> light; // brightness factor, if it changes
    std::optional<QPointF> twin;           // a disc of the same colour that stays
    std::optional<QRectF> box;             // in front of everything
};

// The encoder settings with the painter; `stored` codec, frame count and display matrix.
videogen::VideoSettings discVideo(const MovingDisc& scene, videogen::VideoSettings stored);

} // namespace e2etest
