#pragma once

#include "tracking/picture_match.h"

#include <QPointF>
#include <QRectF>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

// Follows one object from picture to picture, the same number of frames apart each time:
// where its motion so far says it will be, the patch of the last picture around it is looked
// for, and the place found is taken to the middle of what stands out there. A wrong place is
// worse than none: the tracker stops when the match is weak or has a rival, when what it
// finds is not the size it was, or when the object reaches the edge of the picture.
namespace tracking {

enum class Lost {
    None,
    Faint,     // nothing there looks like the object any more
    Ambiguous, // another place looks as much like it
    Outside,   // it reaches or leaves the edge of the picture
};

struct Step {
    std::optional<QPointF> centre; // nothing when lost
    Lost lost = Lost::None;
};

class ObjectTracker {
  public:
    // Starts on the object near `clicked`, looked for within `reach` pixels of it and up to
    // four times as far for a larger one; `before`, where it was one step back, when known.
    // False when nothing there stands out from plain surroundings.
    bool start(const cv::Mat& grey, QPointF clicked, double reach,
               std::optional<QPointF> before = std::nullopt);
    // Finds the object in the next picture.
    Step next(const cv::Mat& grey);

    // Where the object was found first: the middle of what stands out near the click.
    QPointF first() const { return path_.front(); }
    double radius() const { return radius_; }

  private:
    bool nearEdge(const cv::Mat& grey, QPointF centre) const;

    cv::Mat patch_;
    int half_ = 0;
    double radius_ = 0;
    double area_ = 0;
    double contrast_ = 0;
    double background_ = 0;
    std::vector<QPointF> path_;
};

} // namespace tracking
