// Built with -O3: the block averages below are meant to be vectorised.
#include "media/service/pictures/picture_shrink.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>

namespace media::service {

namespace {

template <int K, typename Sample>
void averageBlocks(const std::uint8_t* from, int fromStride, int width, int height,
                   std::uint8_t* to, int toStride) {
    constexpr std::uint32_t kHalf = K * K / 2;
    constexpr int kShift = K == 2 ? 2 : K == 4 ? 4 : 6;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int row = 0; row < K; ++row) {
            const auto* line =
                reinterpret_cast<const Sample*>(from + std::size_t(y * K + row) * fromStride);
            for (int x = 0; x < width; ++x) {
                std::uint32_t sum = 0;
                for (int c = 0; c < K; ++c)
                    sum += line[x * K + c];
                sums[std::size_t(x)] += sum;
            }
        }
        auto* out = reinterpret_cast<Sample*>(to + std::size_t(y) * toStride);
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<Sample>((sums[std::size_t(x)] + kHalf) >> kShift);
    }
}

template <typename Sample>
void averageBlocks(int factor, const std::uint8_t* from, int fromStride, int width, int height,
                   std::uint8_t* to, int toStride) {
    if (factor == 2)
        averageBlocks<2, Sample>(from, fromStride, width, height, to, toStride);
    else if (factor == 4)
        averageBlocks<4, Sample>(from, fromStride, width, height, to, toStride);
    else
        averageBlocks<8, Sample>(from, fromStride, width, height, to, toStride);
}

// Planar YUV (with or without alpha) of 8 to 16 bits a sample, a plane per component.
const AVPixFmtDescriptor* shrinkableFormat(int format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
    if (!d || !(d->flags & AV_PIX_FMT_FLAG_PLANAR) ||
        (d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_PAL |
                     AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT)) ||
        d->nb_components < 3)
        return nullptr;
    for (int c = 0; c < d->nb_components; ++c)
        if (d->comp[c].plane != c || d->comp[c].offset != 0 || d->comp[c].shift != 0 ||
            (d->comp[c].step != 1 && d->comp[c].step != 2))
            return nullptr;
    return d;
}

} // namespace

int PictureShrink::factorFor(int format, int fromWidth, int fromHeight, int width, int height) {
    const AVPixFmtDescriptor* d = shrinkableFormat(format);
    if (!d || width <= 0 || height <= 0)
        return 1;
    int factor = 1;
    for (int k = 2; k <= 8; k *= 2) {
        // Chroma planes must shrink by the same whole factor.
        const int alignW = k << d->log2_chroma_w;
        const int alignH = k << d->log2_chroma_h;
        if (fromWidth / k < 2 * width || fromHeight / k < 2 * height || fromWidth % alignW ||
            fromHeight % alignH)
            break;
        factor = k;
    }
    return factor;
}

void PictureShrink::shrink(const AVFrame* frame, int factor) {
    const AVPixFmtDescriptor* d = shrinkableFormat(frame->format);
    if (!d)
        return;
    width_ = frame->width / factor;
    height_ = frame->height / factor;
    const bool wide = d->comp[0].step == 2;
    for (int p = 0; p < d->nb_components; ++p) {
        const bool chroma = p == 1 || p == 2;
        const int w = width_ >> (chroma ? d->log2_chroma_w : 0);
        const int h = height_ >> (chroma ? d->log2_chroma_h : 0);
        strides_[p] = w * (wide ? 2 : 1);
        memory_[p].resize(std::size_t(strides_[p]) * std::size_t(h));
        if (wide)
            averageBlocks<std::uint16_t>(factor, frame->data[p], frame->linesize[p], w, h,
                                         memory_[p].data(), strides_[p]);
        else
            averageBlocks<std::uint8_t>(factor, frame->data[p], frame->linesize[p], w, h,
                                        memory_[p].data(), strides_[p]);
        planes_[p] = memory_[p].data();
    }
}

} // namespace media::service
