#include "support/decoded_video.h"

#include "videogen/frame_code.h"

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace support {

namespace {

struct Handles {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* scale = nullptr;
    ~Handles() {
        sws_freeContext(scale);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

void readFrames(Handles& h, AVStream* stream, QRectF codeArea, DecodedVideo& out) {
    while (avcodec_receive_frame(h.codec, h.frame) == 0) {
        if (out.codes.empty())
            out.frameSar = av_guess_sample_aspect_ratio(h.format, stream, h.frame);
        out.sawBFrame |= h.frame->pict_type == AV_PICTURE_TYPE_B;
        QImage image(h.frame->width, h.frame->height, QImage::Format_RGB32);
        h.scale = sws_getCachedContext(
            h.scale, h.frame->width, h.frame->height, static_cast<AVPixelFormat>(h.frame->format),
            image.width(), image.height(), AV_PIX_FMT_RGB32, SWS_POINT, nullptr, nullptr, nullptr);
        uint8_t* dst = image.bits();
        const int stride = static_cast<int>(image.bytesPerLine());
        sws_scale(h.scale, h.frame->data, h.frame->linesize, 0, h.frame->height, &dst, &stride);
        const QRectF area(codeArea.x() * image.width(), codeArea.y() * image.height(),
                          codeArea.width() * image.width(), codeArea.height() * image.height());
        out.codes.push_back(videogen::readFrameCode(image, area.toRect()));
        av_frame_unref(h.frame);
    }
}

} // namespace

DecodedVideo decodeVideo(const std::string& path, QRectF codeArea) {
    DecodedVideo out;
    Handles h;
    if (avformat_open_input(&h.format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(h.format, nullptr) < 0) {
        out.error = "cannot open " + path;
        return out;
    }
    const int index = av_find_best_stream(h.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        out.error = "no video stream";
        return out;
    }
    AVStream* stream = h.format->streams[index];
    out.declaredFrames = stream->nb_frames;
    out.frameRate = stream->avg_frame_rate;
    out.streamSar = stream->sample_aspect_ratio;
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    h.codec = avcodec_alloc_context3(decoder);
    if (avcodec_parameters_to_context(h.codec, stream->codecpar) < 0 ||
        avcodec_open2(h.codec, decoder, nullptr) < 0) {
        out.error = "cannot open the decoder";
        return out;
    }
    while (av_read_frame(h.format, h.packet) >= 0) {
        if (h.packet->stream_index == index && h.packet->size > 0) {
            out.packetDts.push_back(h.packet->dts);
            if (avcodec_send_packet(h.codec, h.packet) < 0)
                out.error = "decoding failed";
            readFrames(h, stream, codeArea, out);
        }
        av_packet_unref(h.packet);
    }
    avcodec_send_packet(h.codec, nullptr);
    readFrames(h, stream, codeArea, out);
    return out;
}

} // namespace support
