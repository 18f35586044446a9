#include "reference_decoder.h"

#include "bench_videos.h"
#include "videogen/frame_code.h"

#include <algorithm>
#include <chrono>

extern "C" {
#include <libavcodec/avcodec.h>
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

ReferenceDecoder::ReferenceDecoder() : packet_(av_packet_alloc()), frame_(av_frame_alloc()) {}

ReferenceDecoder::~ReferenceDecoder() {
    sws_freeContext(sws_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

std::string ReferenceDecoder::open(const std::string& path, QSize destination) {
    if (avformat_open_input(&format_, path.c_str(), nullptr, nullptr) < 0)
        return "cannot open " + path;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream_ < 0)
        return "no video stream in " + path;
    AVStream* stream = format_->streams[stream_];
    for (int i = 0; i < avformat_index_get_entries_count(stream); ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(stream, i);
        if (e->flags & AVINDEX_KEYFRAME)
            keyframes_.push_back(e->timestamp);
    }
    if (keyframes_.empty())
        return "no keyframes indexed in " + path;
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    codec_ = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec_, stream->codecpar);
    codec_->thread_count = 1;
    if (avcodec_open2(codec_, decoder, nullptr) < 0)
        return "cannot decode " + path;
    const AVRational sar = stream->codecpar->sample_aspect_ratio;
    const double aspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    destination_ = destination;
    displayed_ = fitted(QSizeF(codec_->width * aspect, codec_->height), destination);
    shown_ = QImage(displayed_.size(), QImage::Format_RGB32);
    return {};
}

bool ReferenceDecoder::seekToPacket(std::int64_t position) {
    if (av_seek_frame(format_, stream_, position, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec_);
    draining_ = false;
    return true;
}

const AVFrame* ReferenceDecoder::nextFrame() {
    for (;;) {
        const int got = avcodec_receive_frame(codec_, frame_);
        if (got == 0)
            return frame_;
        if (got != AVERROR(EAGAIN))
            return nullptr;
        if (draining_)
            return nullptr;
        int read = 0;
        while ((read = av_read_frame(format_, packet_)) >= 0 &&
               (packet_->stream_index != stream_ || packet_->size == 0))
            av_packet_unref(packet_);
        if (read < 0) {
            avcodec_send_packet(codec_, nullptr);
            draining_ = true;
        } else {
            avcodec_send_packet(codec_, packet_);
            av_packet_unref(packet_);
        }
    }
}

int ReferenceDecoder::numberOf(const AVFrame* frame) const {
    // The number is black and white on grey: the luma plane alone shows it.
    const QImage luma(frame->data[0], frame->width, frame->height, frame->linesize[0],
                      QImage::Format_Grayscale8);
    return videogen::readFrameCode(luma, codeBlock(QRect(0, 0, frame->width, frame->height)));
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
    if (!seekToPacket(0))
        return times;
    auto start = Clock::now();
    while (const AVFrame* frame = nextFrame()) {
        scale(frame);
        times.push_back(msSince(start));
        start = Clock::now();
    }
    return times;
}

double ReferenceDecoder::showNaive(int target) {
    const auto start = Clock::now();
    auto key = std::upper_bound(keyframes_.begin(), keyframes_.end(), target);
    // Pictures displayed before a keyframe may be stored after it: then the one before.
    while (key != keyframes_.begin()) {
        --key;
        if (!seekToPacket(*key))
            return -1;
        while (const AVFrame* frame = nextFrame()) {
            const int n = numberOf(frame);
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
