#pragma once

#include <QImage>
#include <QPointF>
#include <optional>

// Finds the red disc of a sample video in a picture the program shows, as a user finds the
// ball by eye: no knowledge of where the generator put it.
namespace e2etest {

// How far the centre found in a decoded, scaled picture may lie from the disc's true centre,
// in display pixels, once a shift common to every frame of a video is taken out. Such a
// shift comes from where the codec places its colour samples (up to half a pixel); it moves
// every mark alike and so changes no velocity. The sample test holds every sample to both
// limits; the measurement tests add the first to the half pixel of a click.
inline constexpr double kCentreTolerance = 0.25;
inline constexpr double kCommonShiftLimit = 0.6;

// The centre of the red disc in pixel coordinates (the pixel (i, j) counts as the point
// (i, j)), weighted by how red each pixel is, so edge pixels count by their share of the
// disc. Nothing when there are too few red pixels to call a disc.
std::optional<QPointF> findRedDisc(const QImage& picture);

} // namespace e2etest
