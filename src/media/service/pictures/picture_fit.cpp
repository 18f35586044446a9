#include "media/service/pictures/picture_fit.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace media::service {

QSize boundedSize(QSizeF shape) {
    const double largest = std::max(shape.width(), shape.height());
    const double scale = largest > kLargestPictureSide ? kLargestPictureSide / largest : 1.0;
    const auto side = [scale](double length) {
        return std::clamp(static_cast<int>(std::lround(length * scale)), 1, kLargestPictureSide);
    };
    return {side(shape.width()), side(shape.height())};
}

QRect fittedRect(QSizeF picture, QSize destination) {
    if (picture.isEmpty() || destination.isEmpty())
        return QRect(QPoint(0, 0), destination);
    const double scale =
        std::min(destination.width() / picture.width(), destination.height() / picture.height());
    const int width =
        std::clamp(static_cast<int>(std::lround(picture.width() * scale)), 1, destination.width());
    const int height = std::clamp(static_cast<int>(std::lround(picture.height() * scale)), 1,
                                  destination.height());
    return QRect((destination.width() - width) / 2, (destination.height() - height) / 2, width,
                 height);
}

QImage composedFrame(const QImage& picture, QSizeF pictureShape, QSize destination) {
    if (picture.size() == destination &&
        fittedRect(pictureShape, destination).size() == destination)
        return picture; // nothing to bar
    QImage frame(destination, QImage::Format_RGB32);
    frame.fill(Qt::black);
    if (!picture.isNull()) {
        QPainter painter(&frame);
        painter.drawImage(fittedRect(pictureShape, destination).topLeft(), picture);
    }
    return frame;
}

} // namespace media::service
