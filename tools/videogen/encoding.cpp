#include "videogen/encoding.h"

#include "videogen/frame_code.h"

#include <QTransform>
#include <algorithm>
#include <cmath>
#include <set>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace videogen {

namespace {

struct CodecInfo {
    Codec codec;
    std::string_view name;
    const char* encoder;
    AVPixelFormat pixelFormat;
    bool longGop;
};

constexpr CodecInfo kCodecs[] = {
    {Codec::Mjpeg, "mjpeg", "mjpeg", AV_PIX_FMT_YUVJ420P, false},
    {Codec::RawVideo, "raw", "rawvideo", AV_PIX_FMT_BGR24, false},
    {Codec::Mpeg4, "mpeg4", "mpeg4", AV_PIX_FMT_YUV420P, true},
    {Codec::H264, "h264", "libx264", AV_PIX_FMT_YUV420P, true},
    {Codec::HuffYuv, "huffyuv", "huffyuv", AV_PIX_FMT_YUV422P, false},
    {Codec::Hevc, "hevc", "libx265", AV_PIX_FMT_YUV420P, true},
    {Codec::Mpeg2, "mpeg2", "mpeg2video", AV_PIX_FMT_YUV420P, true},
    {Codec::Vp8, "vp8", "libvpx", AV_PIX_FMT_YUV420P, true},
    {Codec::Vp9, "vp9", "libvpx-vp9", AV_PIX_FMT_YUV420P, true},
    {Codec::Av1, "av1", "libaom-av1", AV_PIX_FMT_YUV420P, true},
    {Codec::Wmv2, "wmv2", "wmv2", AV_PIX_FMT_YUV420P, true},
};

const CodecInfo& infoOf(Codec codec) {
    return *std::find_if(std::begin(kCodecs), std::end(kCodecs),
                         [codec](const CodecInfo& info) { return info.codec == codec; });
}

// Quarters clockwise the stored picture is turned to be shown.
int quartersOf(int rotation) {
    return ((-static_cast<int>(std::lround(rotation / 90.0))) % 4 + 4) % 4;
}

void setQuality(AVCodecContext* ctx, const VideoSettings& settings) {
    switch (settings.codec) {
    case Codec::Mjpeg:
    case Codec::Mpeg4:
    case Codec::Mpeg2:
    case Codec::Wmv2:
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        ctx->global_quality = FF_QP2LAMBDA * 3;
        break;
    case Codec::H264:
        av_opt_set(ctx->priv_data, "preset", "veryfast", 0);
        break;
    case Codec::Hevc: {
        av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
        const std::string params =
            "log-level=error:scenecut=0:keyint=" + std::to_string(settings.gop) +
            ":min-keyint=" + std::to_string(settings.gop) +
            ":bframes=" + std::to_string(settings.maxBFrames);
        av_opt_set(ctx->priv_data, "x265-params", params.c_str(), 0);
        break;
    }
    case Codec::Vp8:
    case Codec::Vp9:
        av_opt_set(ctx->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(ctx->priv_data, "cpu-used", 8, 0);
        ctx->bit_rate = std::int64_t(settings.width) * settings.height * 8;
        break;
    case Codec::Av1:
        av_opt_set(ctx->priv_data, "usage", "realtime", 0);
        av_opt_set_int(ctx->priv_data, "cpu-used", 8, 0);
        ctx->bit_rate = std::int64_t(settings.width) * settings.height * 8;
        break;
    case Codec::RawVideo:
    case Codec::HuffYuv:
        break;
    }
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

namespace encoding {

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void FormatDeleter::operator()(AVFormatContext* f) const {
    if (f->pb && !(f->oformat && (f->oformat->flags & AVFMT_NOFILE)))
        avio_closep(&f->pb);
    avformat_free_context(f);
}

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
    if (settings.cutFrames < 0 || settings.cutFrames >= settings.frames)
        return "the frames cut must leave at least one";
    if (settings.timeJitter < 0 || settings.timeJitter > 3)
        return "timestamps may wobble by 0 to 3 eighths of a frame period";
    for (int n : settings.droppedFrames)
        if (n < 1 || n >= settings.frames)
            return "a dropped frame must lie in 1.." + std::to_string(settings.frames - 1);
    if (!encoderAvailable(settings.codec))
        return std::string("this FFmpeg has no ") + infoOf(settings.codec).encoder + " encoder";
    return {};
}

std::string Encoder::open(const VideoSettings& settings, bool globalHeader) {
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
    if (info.longGop) {
        c->gop_size = settings.gop;
        c->keyint_min = settings.gop;
        c->max_b_frames = settings.maxBFrames;
        // Keyframes exactly every GOP, and the B-frames asked for wherever the content is:
        // the media tests and the benchmark count on them.
        if (settings.codec == Codec::H264)
            av_opt_set(c->priv_data, "x264-params", "scenecut=0:b-adapt=0", 0);
        else
            av_opt_set_int(c, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
    }
    if (globalHeader)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    setQuality(c, settings);
    if (int err = avcodec_open2(c, codec, nullptr); err < 0)
        return std::string("cannot open the ") + info.encoder + " encoder: " + avError(err);
    return {};
}

std::string Encoder::send(const AVFrame* frame) {
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

std::string FrameSource::open(const VideoSettings& settings, AVPixelFormat format) {
    settings_ = settings;
    const bool sideways = quartersOf(settings.rotation) % 2 != 0;
    upright_ = QImage(sideways ? settings.height : settings.width,
                      sideways ? settings.width : settings.height, QImage::Format_RGB32);
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
    scale_.reset(sws_getContext(settings.width, settings.height, AV_PIX_FMT_RGB32, settings.width,
                                settings.height, target, SWS_POINT, nullptr, nullptr, nullptr));
    if (!scale_)
        return "cannot convert RGB32 to the encoder's pixel format";
    if (fullRange) {
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
        sws_setColorspaceDetails(scale_.get(), coefficients, 1, coefficients, 1, 0, 1 << 16,
                                 1 << 16);
    }
    if (!settings_.painter)
        settings_.painter = paintFrameCode;
    return {};
}

std::string FrameSource::paint(int n) {
    if (av_frame_make_writable(frame_.get()) < 0)
        return "out of memory";
    upright_.fill(Qt::black);
    settings_.painter(upright_, n);
    // Shown turned, then mirrored: so stored mirrored, then turned back.
    QImage stored = settings_.mirrored ? upright_.mirrored(true, false) : upright_;
    if (const int quarters = quartersOf(settings_.rotation))
        stored = stored.transformed(QTransform().rotate(-90.0 * quarters));
    stored = stored.convertToFormat(QImage::Format_RGB32);
    const uint8_t* src = stored.constBits();
    const int stride = static_cast<int>(stored.bytesPerLine());
    sws_scale(scale_.get(), &src, &stride, 0, stored.height(), frame_->data, frame_->linesize);
    frame_->pts = n;
    return {};
}

std::string encodeAll(const VideoSettings& settings, Encoder& encoder, std::vector<int>& places) {
    FrameSource source;
    if (std::string problem = source.open(settings, encoder.context()->pix_fmt); !problem.empty())
        return problem;
    const std::set<int> dropped(settings.droppedFrames.begin(), settings.droppedFrames.end());
    for (int n = 0; n < settings.frames; ++n) {
        if (dropped.count(n))
            continue;
        if (std::string problem = source.paint(n); !problem.empty())
            return problem;
        if (std::string problem = encoder.send(source.frame()); !problem.empty())
            return problem;
        places.push_back(n);
    }
    return encoder.send(nullptr);
}

} // namespace encoding

} // namespace videogen
