#include "videogen/avi_writer.h"

#include "videogen/frame_code.h"

#include <algorithm>
#include <memory>
#include <set>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace videogen {

namespace {

struct CodecInfo {
    Codec codec;
    std::string_view name;
    const char* encoder;
    AVPixelFormat pixelFormat;
};

constexpr CodecInfo kCodecs[] = {
    {Codec::Mjpeg, "mjpeg", "mjpeg", AV_PIX_FMT_YUVJ420P},
    {Codec::RawVideo, "raw", "rawvideo", AV_PIX_FMT_BGR24},
    {Codec::Mpeg4, "mpeg4", "mpeg4", AV_PIX_FMT_YUV420P},
    {Codec::H264, "h264", "libx264", AV_PIX_FMT_YUV420P},
    {Codec::HuffYuv, "huffyuv", "huffyuv", AV_PIX_FMT_YUV422P},
};

const CodecInfo& infoOf(Codec codec) {
    return *std::find_if(std::begin(kCodecs), std::end(kCodecs),
                         [codec](const CodecInfo& info) { return info.codec == codec; });
}

bool usesLongGop(Codec codec) {
    return codec == Codec::Mpeg4 || codec == Codec::H264;
}

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct FormatDeleter {
    void operator()(AVFormatContext* f) const {
        if (f->pb)
            avio_closep(&f->pb);
        avformat_free_context(f);
    }
};
struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

std::string checkSettings(const VideoSettings& settings) {
    if (settings.width < 16 || settings.height < 16 || settings.width % 2 || settings.height % 2)
        return "width and height must be even and at least 16";
    if (settings.frames < 1)
        return "at least one frame is needed";
    if (settings.fpsNum < 1 || settings.fpsDen < 1)
        return "the frame rate must be positive";
    if (settings.gop < 1 || settings.maxBFrames < 0)
        return "the GOP must be at least 1 and the B-frame count not negative";
    if (settings.sarNum < 1 || settings.sarDen < 1)
        return "the sample aspect ratio must be positive";
    for (int n : settings.droppedFrames)
        if (n < 1 || n >= settings.frames)
            return "a dropped frame must lie in 1.." + std::to_string(settings.frames - 1);
    if (!encoderAvailable(settings.codec))
        return std::string("this FFmpeg has no ") + infoOf(settings.codec).encoder + " encoder";
    return {};
}

void setQuality(AVCodecContext* ctx, Codec codec, int threads) {
    switch (codec) {
    case Codec::Mjpeg:
    case Codec::Mpeg4:
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        ctx->global_quality = FF_QP2LAMBDA * 3;
        break;
    case Codec::H264:
        av_opt_set(ctx->priv_data, "preset", "veryfast", 0);
        ctx->thread_count = threads;
        break;
    case Codec::RawVideo:
    case Codec::HuffYuv:
        break;
    }
}

// The encoder and what it has handed back, in decode order.
class Encoder {
  public:
    std::string open(const VideoSettings& settings) {
        const CodecInfo& info = infoOf(settings.codec);
        const AVCodec* codec = avcodec_find_encoder_by_name(info.encoder);
        ctx_.reset(avcodec_alloc_context3(codec));
        AVCodecContext* c = ctx_.get();
        c->width = settings.width;
        c->height = settings.height;
        c->time_base = AVRational{settings.fpsDen, settings.fpsNum};
        c->framerate = AVRational{settings.fpsNum, settings.fpsDen};
        c->pix_fmt = info.pixelFormat;
        c->sample_aspect_ratio = AVRational{settings.sarNum, settings.sarDen};
        if (usesLongGop(settings.codec)) {
            c->gop_size = settings.gop;
            c->keyint_min = settings.gop;
            c->max_b_frames = settings.maxBFrames;
            // Keyframes exactly every GOP: the media tests and the benchmark count on them.
            if (settings.codec == Codec::H264)
                av_opt_set(c->priv_data, "x264-params", "scenecut=0", 0);
            else
                av_opt_set_int(c, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
        }
        setQuality(c, settings.codec, 0);
        if (int err = avcodec_open2(c, codec, nullptr); err < 0)
            return std::string("cannot open the ") + info.encoder + " encoder: " + avError(err);
        return {};
    }

    AVCodecContext* context() const { return ctx_.get(); }

    // Sends a frame, or nullptr to drain, and keeps every packet that comes out.
    std::string send(const AVFrame* frame) {
        if (int err = avcodec_send_frame(ctx_.get(), frame); err < 0)
            return "encoding failed: " + avError(err);
        for (;;) {
            PacketPtr packet(av_packet_alloc());
            const int err = avcodec_receive_packet(ctx_.get(), packet.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
                return {};
            if (err < 0)
                return "encoding failed: " + avError(err);
            packets_.push_back(std::move(packet));
        }
    }

    std::vector<PacketPtr>& packets() { return packets_; }

  private:
    std::unique_ptr<AVCodecContext, CodecDeleter> ctx_;
    std::vector<PacketPtr> packets_;
};

// Paints each frame in RGB32 and converts it to the encoder's format.
class FrameSource {
  public:
    std::string open(const VideoSettings& settings, AVPixelFormat format) {
        image_ = QImage(settings.width, settings.height, QImage::Format_RGB32);
        frame_.reset(av_frame_alloc());
        frame_->format = format;
        frame_->width = settings.width;
        frame_->height = settings.height;
        if (av_frame_get_buffer(frame_.get(), 0) < 0)
            return "out of memory";
        // The scaler calls the full-range JPEG formats deprecated: ask for the plain one at
        // full range instead.
        const bool fullRange = format == AV_PIX_FMT_YUVJ420P;
        const AVPixelFormat target = fullRange ? AV_PIX_FMT_YUV420P : format;
        scale_.reset(sws_getContext(settings.width, settings.height, AV_PIX_FMT_RGB32,
                                    settings.width, settings.height, target, SWS_POINT, nullptr,
                                    nullptr, nullptr));
        if (!scale_)
            return "cannot convert RGB32 to the encoder's pixel format";
        if (fullRange) {
            const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
            sws_setColorspaceDetails(scale_.get(), coefficients, 1, coefficients, 1, 0, 1 << 16,
                                     1 << 16);
        }
        painter_ = settings.painter ? settings.painter : paintFrameCode;
        return {};
    }

    std::string paint(int n) {
        if (av_frame_make_writable(frame_.get()) < 0)
            return "out of memory";
        image_.fill(Qt::black);
        painter_(image_, n);
        const uint8_t* src = image_.constBits();
        const int stride = static_cast<int>(image_.bytesPerLine());
        sws_scale(scale_.get(), &src, &stride, 0, image_.height(), frame_->data, frame_->linesize);
        frame_->pts = n;
        return {};
    }

    const AVFrame* frame() const { return frame_.get(); }

  private:
    QImage image_;
    std::unique_ptr<AVFrame, FrameDeleter> frame_;
    std::unique_ptr<SwsContext, ScaleDeleter> scale_;
    std::function<void(QImage&, int)> painter_;
};

// AVI keeps no presentation time: a chunk's place in the file is its decode timestamp, and
// the muxer fills a gap in decode timestamps with empty chunks. So packet k (decode order)
// goes to the slot of the k-th frame that is not dropped. Presentation times only have to
// stay at or after those, so they are shifted by the largest reorder delay.
std::string writePackets(AVFormatContext* format, AVStream* stream, AVRational codecTimeBase,
                         std::vector<PacketPtr>& packets, const std::vector<int>& places) {
    if (packets.size() != places.size())
        return "the encoder returned " + std::to_string(packets.size()) + " packets for " +
               std::to_string(places.size()) + " frames";
    int64_t delay = 0;
    for (size_t k = 0; k < packets.size(); ++k)
        delay = std::max(delay, places[k] - packets[k]->pts);
    for (size_t k = 0; k < packets.size(); ++k) {
        AVPacket* packet = packets[k].get();
        packet->pts += delay;
        packet->dts = places[k];
        packet->duration = 1;
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet, codecTimeBase, stream->time_base);
        if (int err = av_write_frame(format, packet); err < 0)
            return "writing frame " + std::to_string(places[k]) + " failed: " + avError(err);
    }
    return {};
}

// The muxer writes empty chunks only in front of a real one, so dropped frames at the end
// are closed with an empty packet of our own.
std::string writeTrailingDrops(AVFormatContext* format, AVStream* stream, AVRational timeBase,
                               int lastWritten, int frames) {
    if (lastWritten == frames - 1)
        return {};
    PacketPtr empty(av_packet_alloc());
    empty->stream_index = stream->index;
    empty->pts = empty->dts = frames - 1;
    empty->duration = 1;
    av_packet_rescale_ts(empty.get(), timeBase, stream->time_base);
    if (int err = av_write_frame(format, empty.get()); err < 0)
        return "writing the last dropped frame failed: " + avError(err);
    return {};
}

} // namespace

std::string_view codecName(Codec codec) {
    return infoOf(codec).name;
}

std::optional<Codec> codecFromName(std::string_view name) {
    for (const CodecInfo& info : kCodecs)
        if (info.name == name)
            return info.codec;
    return std::nullopt;
}

bool encoderAvailable(Codec codec) {
    return avcodec_find_encoder_by_name(infoOf(codec).encoder) != nullptr;
}

std::string writeAvi(const std::string& path, const VideoSettings& settings) {
    if (std::string problem = checkSettings(settings); !problem.empty())
        return problem;

    Encoder encoder;
    if (std::string problem = encoder.open(settings); !problem.empty())
        return problem;
    AVCodecContext* codec = encoder.context();

    AVFormatContext* rawFormat = nullptr;
    if (avformat_alloc_output_context2(&rawFormat, nullptr, "avi", path.c_str()) < 0)
        return "cannot set up the AVI muxer";
    std::unique_ptr<AVFormatContext, FormatDeleter> format(rawFormat);
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0)
        return "cannot add the video stream";
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;
    stream->sample_aspect_ratio = codec->sample_aspect_ratio;

    FrameSource source;
    if (std::string problem = source.open(settings, codec->pix_fmt); !problem.empty())
        return problem;

    const std::set<int> dropped(settings.droppedFrames.begin(), settings.droppedFrames.end());
    std::vector<int> places;
    for (int n = 0; n < settings.frames; ++n) {
        if (dropped.count(n))
            continue;
        if (std::string problem = source.paint(n); !problem.empty())
            return problem;
        if (std::string problem = encoder.send(source.frame()); !problem.empty())
            return problem;
        places.push_back(n);
    }
    if (std::string problem = encoder.send(nullptr); !problem.empty())
        return problem;

    if (int err = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); err < 0)
        return "cannot create " + path + ": " + avError(err);
    if (int err = avformat_write_header(format.get(), nullptr); err < 0)
        return "cannot write the AVI header: " + avError(err);
    if (std::string problem =
            writePackets(format.get(), stream, codec->time_base, encoder.packets(), places);
        !problem.empty())
        return problem;
    if (std::string problem = writeTrailingDrops(format.get(), stream, codec->time_base,
                                                 places.back(), settings.frames);
        !problem.empty())
        return problem;
    if (int err = av_write_trailer(format.get()); err < 0)
        return "cannot finish the AVI file: " + avError(err);
    return {};
}

} // namespace videogen
