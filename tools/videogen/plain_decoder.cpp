#include "videogen/plain_decoder.h"

#include "videogen/frame_code.h"

#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace videogen {

PlainDecoder::PlainDecoder() : packet_(av_packet_alloc()), frame_(av_frame_alloc()) {}

PlainDecoder::~PlainDecoder() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

std::string PlainDecoder::open(const std::string& path) {
    if (avformat_open_input(&format_, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format_, nullptr) < 0)
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
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_ || avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return "no decoder for " + path;
    codec_->thread_count = 1;
    if (avcodec_open2(codec_, decoder, nullptr) < 0)
        return "cannot decode " + path;
    return {};
}

const AVStream* PlainDecoder::stream() const {
    return stream_ >= 0 ? format_->streams[stream_] : nullptr;
}

int PlainDecoder::width() const {
    return codec_ ? codec_->width : 0;
}

int PlainDecoder::height() const {
    return codec_ ? codec_->height : 0;
}

bool PlainDecoder::seekToPacket(std::int64_t position) {
    if (av_seek_frame(format_, stream_, position, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec_);
    draining_ = false;
    packetDts_.clear();
    return true;
}

const AVFrame* PlainDecoder::nextFrame() {
    while (true) {
        const int got = avcodec_receive_frame(codec_, frame_);
        if (got == 0)
            return frame_;
        if (got != AVERROR(EAGAIN) || draining_)
            return nullptr;
        int read = 0;
        while ((read = av_read_frame(format_, packet_)) >= 0 &&
               (packet_->stream_index != stream_ || packet_->size == 0))
            av_packet_unref(packet_);
        if (read < 0) {
            avcodec_send_packet(codec_, nullptr);
            draining_ = true;
        } else {
            packetDts_.push_back(packet_->dts);
            avcodec_send_packet(codec_, packet_);
            av_packet_unref(packet_);
        }
    }
}

int PlainDecoder::frameNumber(const AVFrame* frame, QRect area) {
    if (area.isEmpty())
        area = QRect(0, 0, frame->width, frame->height);
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (format && (format->flags & AV_PIX_FMT_FLAG_PLANAR) &&
        !(format->flags & AV_PIX_FMT_FLAG_RGB))
        return readFrameCode(QImage(frame->data[0], frame->width, frame->height, frame->linesize[0],
                                    QImage::Format_Grayscale8),
                             area);
    // Packed or RGB pictures: their grey made first.
    QImage grey(frame->width, frame->height, QImage::Format_Grayscale8);
    SwsContext* convert =
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                       frame->height, AV_PIX_FMT_GRAY8, SWS_POINT, nullptr, nullptr, nullptr);
    std::uint8_t* planes[] = {grey.bits()};
    const int strides[] = {int(grey.bytesPerLine())};
    sws_scale(convert, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(convert);
    return readFrameCode(grey, area);
}

} // namespace videogen
