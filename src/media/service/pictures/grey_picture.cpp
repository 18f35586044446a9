#include "media/service/pictures/grey_picture.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <QTransform>

namespace media::service {

GreyPicture::~GreyPicture() {
    sws_freeContext(sws_);
}

QImage GreyPicture::upright(const AVFrame* frame, DisplayTransform transform) {
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return {};
    sws_ = sws_getCachedContext(
        sws_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), frame->width,
        frame->height, AV_PIX_FMT_GRAY8, SWS_POINT, nullptr, nullptr, nullptr);
    QImage grey(frame->width, frame->height, QImage::Format_Grayscale8);
    if (!sws_ || grey.isNull())
        return {};
    std::uint8_t* planes[4] = {grey.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(grey.bytesPerLine()), 0, 0, 0};
    sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, planes, strides);
    if (transform.mirrored)
        grey = grey.mirrored(true, false);
    if (transform.clockwiseQuarters != 0)
        grey = grey.transformed(QTransform().rotate(90.0 * transform.clockwiseQuarters));
    return grey;
}

} // namespace media::service
