#include "tracking/picture_match.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace tracking {

namespace {

// Differences below this share of the contrast are the picture's noise and grain.
constexpr double kNoiseShare = 0.15;
// Nothing stands out unless it differs from the background by this many grey levels.
constexpr double kLeastContrast = 12.0;

bool inside(const cv::Mat& grey, const cv::Rect& r) {
    return r.x >= 0 && r.y >= 0 && r.x + r.width <= grey.cols && r.y + r.height <= grey.rows;
}

} // namespace

std::optional<Blob> findBlob(const cv::Mat& grey, QPointF near, double radius, double contrast) {
    const int r = static_cast<int>(std::ceil(radius)) + 2;
    const int cx = static_cast<int>(std::floor(near.x()));
    const int cy = static_cast<int>(std::floor(near.y()));
    const cv::Rect window(cx - r, cy - r, 2 * r + 1, 2 * r + 1);
    if (!inside(grey, window))
        return std::nullopt;
    const cv::Mat w = grey(window);
    // The ring just outside the circle.
    std::vector<std::uint8_t> ring;
    const auto distance = [&](int i, int j) {
        return std::hypot(window.x + i + 0.5 - near.x(), window.y + j + 0.5 - near.y());
    };
    for (int j = 0; j < w.rows; ++j)
        for (int i = 0; i < w.cols; ++i)
            if (const double d = distance(i, j); d > radius && d <= radius + 1.5)
                ring.push_back(w.at<std::uint8_t>(j, i));
    if (ring.empty())
        return std::nullopt;
    std::nth_element(ring.begin(), ring.begin() + long(ring.size() / 2), ring.end());
    Blob blob;
    blob.background = ring[ring.size() / 2];

    std::vector<double> differences;
    for (int j = 0; j < w.rows; ++j)
        for (int i = 0; i < w.cols; ++i)
            if (distance(i, j) <= radius)
                differences.push_back(std::abs(w.at<std::uint8_t>(j, i) - blob.background));
    if (differences.empty())
        return std::nullopt;
    const auto p95 = differences.begin() + long(0.95 * double(differences.size() - 1));
    std::nth_element(differences.begin(), p95, differences.end());
    blob.contrast = contrast > 0 ? contrast : *p95;
    if (*p95 < kLeastContrast || blob.contrast < kLeastContrast)
        return std::nullopt;
    blob.clutter =
        double(std::count_if(ring.begin(), ring.end(),
                             [&](std::uint8_t level) {
                                 return std::abs(level - blob.background) >= blob.contrast / 3;
                             })) /
        double(ring.size());

    double sumX = 0, sumY = 0;
    for (int j = 0; j < w.rows; ++j)
        for (int i = 0; i < w.cols; ++i) {
            if (distance(i, j) > radius)
                continue;
            const double d = std::abs(w.at<std::uint8_t>(j, i) - blob.background) / blob.contrast;
            const double weight = d < kNoiseShare ? 0.0 : std::min(d, 1.0);
            blob.area += weight;
            sumX += weight * (window.x + i + 0.5);
            sumY += weight * (window.y + j + 0.5);
        }
    if (blob.area < 1.0)
        return std::nullopt;
    blob.centre = QPointF(sumX / blob.area, sumY / blob.area);
    return blob;
}

std::optional<Match> findPatch(const cv::Mat& grey, const cv::Mat& patch, QPointF predicted,
                               int reach) {
    const int half = patch.cols / 2;
    // OpenCV puts a pixel's middle at whole numbers.
    const int px = static_cast<int>(std::lround(predicted.x() - 0.5));
    const int py = static_cast<int>(std::lround(predicted.y() - 0.5));
    // The search keeps to the picture: the patch must lie wholly inside it.
    const cv::Rect area = cv::Rect(px - half - reach, py - half - reach, 2 * (half + reach) + 1,
                                   2 * (half + reach) + 1) &
                          cv::Rect(0, 0, grey.cols, grey.rows);
    if (area.width < patch.cols + 2 || area.height < patch.rows + 2 || reach < 1)
        return std::nullopt;
    cv::Mat scores;
    cv::matchTemplate(grey(area), patch, scores, cv::TM_CCOEFF_NORMED);
    cv::patchNaNs(scores, -1.0);
    double best = 0;
    cv::Point at;
    cv::minMaxLoc(scores, nullptr, &best, nullptr, &at);
    const auto score = [&](int x, int y) { return double(scores.at<float>(y, x)); };
    const double dx = at.x > 0 && at.x + 1 < scores.cols
                          ? parabolaPeak(score(at.x - 1, at.y), best, score(at.x + 1, at.y))
                          : 0.0;
    const double dy = at.y > 0 && at.y + 1 < scores.rows
                          ? parabolaPeak(score(at.x, at.y - 1), best, score(at.x, at.y + 1))
                          : 0.0;
    Match match;
    match.score = best;
    match.centre = QPointF(area.x + half + at.x + dx + 0.5, area.y + half + at.y + dy + 0.5);
    // Another place as good, away from the peak's own slope, makes the match doubtful.
    cv::circle(scores, at, std::max(2, half / 2), cv::Scalar(-1.0), cv::FILLED);
    cv::minMaxLoc(scores, nullptr, &match.rival);
    return match;
}

cv::Mat cutPatch(const cv::Mat& grey, QPointF centre, int half) {
    cv::Mat patch;
    cv::getRectSubPix(grey, cv::Size(2 * half + 1, 2 * half + 1),
                      cv::Point2f(float(centre.x() - 0.5), float(centre.y() - 0.5)), patch);
    return patch;
}

cv::Mat greyView(const QImage& grey) {
    return cv::Mat(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                   static_cast<std::size_t>(grey.bytesPerLine()));
}

double parabolaPeak(double before, double at, double after) {
    const double curve = before - 2 * at + after;
    if (!(curve < 0))
        return 0.0;
    return std::clamp(0.5 * (before - after) / curve, -0.5, 0.5);
}

} // namespace tracking
