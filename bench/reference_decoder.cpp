#include "reference_decoder.h"

#include "bench_videos.h"

#include <algorithm>
#include <chrono>

extern "C" {
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

ReferenceDecoder::~ReferenceDecoder() {
    sws_freeContext(sws_);
}

std::string ReferenceDecoder::open(const std::string& path, QSize destination) {
    if (std::string problem = decoder_.open(path); !problem.empty())
        return problem;
    if (decoder_.keyframes().empty())
        return "no keyframes indexed in " + path;
    const AVRational sar = decoder_.stream()->codecpar->sample_aspect_ratio;
    const double aspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    shown_ =
        QImage(fitted(QSizeF(decoder_.width() * aspect, decoder_.height()), destination).size(),
               QImage::Format_RGB32);
    // What a naive service knows: where each keyframe leads.
    const QRect code = codeBlock(QRect(0, 0, decoder_.width(), decoder_.height()));
    for (std::int64_t timestamp : decoder_.keyframes()) {
        if (!decoder_.seekToPacket(timestamp))
            return "cannot seek in " + path;
        const AVFrame* frame = decoder_.nextFrame();
        if (frame)
            keyframes_.emplace_back(timestamp, videogen::PlainDecoder::frameNumber(frame, code));
    }
    return {};
}

void ReferenceDecoder::scale(const AVFrame* frame) {
    sws_ = sws_getCachedContext(
        sws_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
        shown_.width(), shown_.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    uint8_t* dst = shown_.bits();
    const int stride = static_cast<int>(shown_.bytesPerLine());
    sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, &dst, &stride);
}

std::vector<double> ReferenceDecoder::decodeAll() {
    std::vector<double> times;
    if (!decoder_.seekToPacket(0))
        return times;
    auto start = Clock::now();
    while (const AVFrame* frame = decoder_.nextFrame()) {
        scale(frame);
        times.push_back(msSince(start));
        start = Clock::now();
    }
    return times;
}

double ReferenceDecoder::showNaive(int target) {
    const auto start = Clock::now();
    const QRect code = codeBlock(QRect(0, 0, decoder_.width(), decoder_.height()));
    auto key = std::upper_bound(keyframes_.begin(), keyframes_.end(), target,
                                [](int t, const auto& k) { return t < k.second; });
    // Pictures displayed before a keyframe may be stored after it: then the one before.
    while (key != keyframes_.begin()) {
        if (!decoder_.seekToPacket((--key)->first))
            return -1;
        while (const AVFrame* frame = decoder_.nextFrame()) {
            const int n = videogen::PlainDecoder::frameNumber(frame, code);
            if (n == target) {
                scale(frame);
                return msSince(start);
            }
            if (n > target)
                break;
        }
    }
    return -1;
}

} // namespace bench
