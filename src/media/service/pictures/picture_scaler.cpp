#include "media/service/pictures/picture_scaler.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstdint>

namespace media::service {

PictureScaler::PictureScaler(QSize size) : size_(size) {}

PictureScaler::~PictureScaler() {
    sws_freeContext(sws_);
}

void PictureScaler::prepare(int width, int height, int format) {
    if (width <= 0 || height <= 0 || size_.isEmpty())
        return;
    const int factor =
        PictureShrink::factorFor(format, width, height, size_.width(), size_.height());
    prepareFilters(width / factor, height / factor, format);
}

void PictureScaler::prepareFilters(int width, int height, int format) {
    sws_ = sws_getCachedContext(sws_, width, height, static_cast<AVPixelFormat>(format),
                                size_.width(), size_.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR,
                                nullptr, nullptr, nullptr);
}

bool PictureScaler::scale(const AVFrame* frame, QImage& into) {
    if (!frame || into.size() != size_ || into.format() != QImage::Format_RGB32 ||
        frame->width <= 0 || frame->height <= 0 || size_.isEmpty())
        return false;
    const int factor = PictureShrink::factorFor(frame->format, frame->width, frame->height,
                                                size_.width(), size_.height());
    // Cheap when nothing changed.
    prepareFilters(frame->width / factor, frame->height / factor, frame->format);
    if (!sws_)
        return false;
    std::uint8_t* planes[4] = {into.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(into.bytesPerLine()), 0, 0, 0};
    if (factor == 1) {
        sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, planes, strides);
        return true;
    }
    shrink_.shrink(frame, factor);
    sws_scale(sws_, shrink_.planes(), shrink_.strides(), 0, shrink_.height(), planes, strides);
    return true;
}

} // namespace media::service
