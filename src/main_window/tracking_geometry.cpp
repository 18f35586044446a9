#include "main_window/tracking_geometry.h"

#include <algorithm>

namespace tracking_geometry {

QPointF markToPicture(QPointF mark, QRect shownAt, QSize picture) {
    return {(mark.x() + 0.5 - shownAt.x()) * picture.width() / shownAt.width(),
            (mark.y() + 0.5 - shownAt.y()) * picture.height() / shownAt.height()};
}

QPointF pictureToMark(QPointF point, QRect shownAt, QSize picture) {
    return {point.x() * shownAt.width() / picture.width() + shownAt.x() - 0.5,
            point.y() * shownAt.height() / picture.height() + shownAt.y() - 0.5};
}

double pictureScale(QRect shownAt, QSize picture) {
    return std::max(double(picture.width()) / shownAt.width(),
                    double(picture.height()) / shownAt.height());
}

} // namespace tracking_geometry
