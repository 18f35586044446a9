#include "tracking/object_tracker.h"

#include "tracking/motion_prediction.h"

#include <QLineF>
#include <algorithm>
#include <cmath>
#include <span>

namespace tracking {

namespace {

constexpr double kPi = 3.14159265358979323846;
// A match below this correlation is not the object; one whose rival comes this close is
// not sure to be.
constexpr double kLeastScore = 0.6;
constexpr double kRivalMargin = 0.15;
// What stands out must keep its area within this share of the first (blur spreads an
// object but keeps its area; a box hiding part of it does not).
constexpr double kAreaChange = 0.25;
// The window the object is looked for in reaches this many radii from its middle, so that
// a blurred streak lies inside it; the ring around it must be clear of anything else.
constexpr double kWindowRadii = 2.0;
constexpr double kMostClutter = 0.1;

} // namespace

bool ObjectTracker::start(const cv::Mat& grey, QPointF clicked, double reach,
                          std::optional<QPointF> before) {
    // Looked for in a wider circle each time, until one reaches past the object all round.
    std::optional<Blob> blob;
    for (double around = reach; around <= 4 * reach && !(blob && blob->clutter <= kMostClutter);
         around *= 1.5)
        blob = findBlob(grey, clicked, around);
    if (!blob)
        return false;
    // Looked at again around its own middle, with the ring outside the whole object.
    radius_ = std::max(1.0, std::sqrt(blob->area / kPi));
    const std::optional<Blob> object = findBlob(grey, blob->centre, kWindowRadii * radius_ + 2);
    if (!object || QLineF(object->centre, clicked).length() > reach ||
        object->clutter > kMostClutter)
        return false;
    radius_ = std::max(1.0, std::sqrt(object->area / kPi));
    area_ = object->area;
    contrast_ = object->contrast;
    background_ = std::max(object->background, 1.0);
    half_ = static_cast<int>(std::ceil(1.6 * radius_)) + 2;
    path_.clear();
    if (before)
        path_.push_back(*before + (object->centre - clicked));
    path_.push_back(object->centre);
    if (nearEdge(grey, object->centre))
        return false;
    patch_ = cutPatch(grey, object->centre, half_);
    return true;
}

bool ObjectTracker::nearEdge(const cv::Mat& grey, QPointF centre) const {
    // The window around the object must lie in the picture.
    const double margin = kWindowRadii * radius_ + 4;
    return centre.x() < margin || centre.y() < margin || centre.x() > grey.cols - margin ||
           centre.y() > grey.rows - margin;
}

Step ObjectTracker::next(const cv::Mat& grey) {
    const QPointF predicted = predictNext(path_);
    if (nearEdge(grey, predicted))
        return {std::nullopt, Lost::Outside};
    // Without a velocity yet the object may have gone anywhere near.
    const double slack =
        path_.size() < 2 ? 4 * radius_ + 8 : predictionSlack(path_, std::max(3.0, radius_ / 2));
    const std::optional<Match> match =
        findPatch(grey, patch_, predicted, static_cast<int>(std::ceil(slack)));
    if (!match || nearEdge(grey, match->centre))
        return {std::nullopt, Lost::Outside};
    if (match->score < kLeastScore)
        return {std::nullopt, Lost::Faint};
    if (match->rival > match->score - kRivalMargin)
        return {std::nullopt, Lost::Ambiguous};
    // Light that changes scales the object's contrast with the background.
    const std::optional<Blob> around = findBlob(grey, match->centre, kWindowRadii * radius_ + 2);
    if (!around)
        return {std::nullopt, Lost::Faint};
    const double contrast = contrast_ * around->background / background_;
    const std::optional<Blob> object =
        findBlob(grey, match->centre, kWindowRadii * radius_ + 2, contrast);
    if (object && nearEdge(grey, object->centre))
        return {std::nullopt, Lost::Outside};
    if (!object || std::abs(object->area / area_ - 1) > kAreaChange ||
        QLineF(object->centre, match->centre).length() > radius_ / 2 + 1 ||
        object->clutter > kMostClutter)
        return {std::nullopt, Lost::Faint};
    path_.push_back(object->centre);
    // The object as it looks now: turned, blurred or lit otherwise, it is found again.
    patch_ = cutPatch(grey, object->centre, half_);
    return {object->centre, Lost::None};
}

} // namespace tracking
