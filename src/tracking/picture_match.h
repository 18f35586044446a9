#pragma once

#include <QImage>
#include <QPointF>
#include <opencv2/core.hpp>
#include <optional>

// Finding an object in a grey picture (CV_8UC1). Positions are in the picture's pixels,
// with the middle of pixel (i, j) at (i + 0.5, j + 0.5).
namespace tracking {

// What stands out from its surroundings around a point: each pixel within `radius` counts
// by how far it is from the background (the median of the ring just outside), up to
// `contrast` for a whole pixel; faint differences count for nothing.
struct Blob {
    QPointF centre;
    double area = 0;       // in whole pixels
    double background = 0; // grey level of the ring
    double contrast = 0;   // the largest difference from it, as found (95th percentile)
    // The share of the ring that differs from the background by a third of the contrast or
    // more: something else reaches close to the object.
    double clutter = 0;
};
// `contrast` 0: as found. Nothing when the circle does not lie inside the picture or nothing
// stands out.
std::optional<Blob> findBlob(const cv::Mat& grey, QPointF near, double radius, double contrast = 0);

struct Match {
    QPointF centre;   // where the patch's middle lies best, to a fraction of a pixel
    double score = 0; // normalised correlation there, 1 for a perfect match
    double rival = 0; // the best score away from that peak
};
// Looks for `patch` (odd sides; its middle pixel is the object's place) around `predicted`,
// up to `reach` pixels away each way, as far as the picture goes. Nothing when it does not
// leave room for the patch to move.
std::optional<Match> findPatch(const cv::Mat& grey, const cv::Mat& patch, QPointF predicted,
                               int reach);

// The square patch of `half` pixels each side of its middle, resampled so that `centre` is
// that middle.
cv::Mat cutPatch(const cv::Mat& grey, QPointF centre, int half);

// A grey picture (QImage::Format_Grayscale8) as OpenCV sees it, without a copy: valid while
// the picture lives and is not changed.
cv::Mat greyView(const QImage& grey);

// The top of the parabola through three equally spaced samples, as an offset from the middle
// one, within -0.5..0.5.
double parabolaPeak(double before, double at, double after);

} // namespace tracking
