#include "support/reference_pictures.h"

#include "videogen/plain_decoder.h"

#include <QPainter>
#include <QTransform>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace mediatest {

namespace {
const QSize kVideoArea(320, 240);
const QSize kThumbnail(80, 60);
} // namespace

QRect placeInVideoArea(QSizeF upright) {
    const double scale =
        std::min(kVideoArea.width() / upright.width(), kVideoArea.height() / upright.height());
    const int w = int(std::lround(upright.width() * scale));
    const int h = int(std::lround(upright.height() * scale));
    return QRect((kVideoArea.width() - w) / 2, (kVideoArea.height() - h) / 2, w, h);
}

ReferencePictures referencePictures(const std::string& path, const Upright& upright,
                                    QSize visible) {
    ReferencePictures result;
    videogen::PlainDecoder decoder;
    if (std::string problem = decoder.open(path); !problem.empty()) {
        result.error = problem;
        return result;
    }
    const bool sideways = upright.quarters % 2 != 0;
    const QRect place = placeInVideoArea(sideways ? upright.stored.transposed() : upright.stored);
    const QSize stored = sideways ? place.size().transposed() : place.size();
    QImage picture(stored, QImage::Format_RGB32);
    while (const AVFrame* frame = decoder.nextFrame()) {
        SwsContext* scale = sws_getContext(
            frame->width, frame->height, AVPixelFormat(frame->format), stored.width(),
            stored.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
        std::uint8_t* planes[] = {picture.bits()};
        const int strides[] = {int(picture.bytesPerLine())};
        sws_scale(scale, frame->data, frame->linesize, 0, frame->height, planes, strides);
        sws_freeContext(scale);
        QImage shown = upright.mirrored ? picture.mirrored(true, false) : picture;
        shown = shown.transformed(QTransform().rotate(90.0 * upright.quarters));
        QImage area(kVideoArea, QImage::Format_RGB32);
        area.fill(Qt::black);
        QPainter(&area).drawImage(place.topLeft(), shown);
        result.thumbnails.push_back(thumbnail(area.copy(QRect(QPoint(0, 0), visible))));
    }
    return result;
}

QImage thumbnail(const QImage& picture) {
    return picture.scaled(kThumbnail, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Grayscale8);
}

double distance(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* p = a.constScanLine(y);
        const uchar* q = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(int(p[x]) - int(q[x]));
    }
    return sum / (a.width() * a.height());
}

} // namespace mediatest
