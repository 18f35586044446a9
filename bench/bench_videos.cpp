#include "bench_videos.h"

#include "videogen/frame_code.h"

#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <map>

extern "C" {
#include <libavformat/avformat.h>
}

namespace bench {

namespace {

// Smooth colour noise: random pixels on a grid `cell` pixels apart, scaled up smoothly.
QImage noise(QSize size, int cell, quint32 seed) {
    QRandomGenerator random(seed);
    QImage small(std::max(2, size.width() / cell), std::max(2, size.height() / cell),
                 QImage::Format_RGB32);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            small.setPixel(x, y, random.generate() | 0xff000000u);
    return small.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Twice as wide as the frame, so that panning can wrap around.
const QImage& backdrop(QSize frame, int cell, quint32 seed) {
    static std::map<std::tuple<int, int, int>, QImage> cache;
    QImage& image = cache[{frame.width(), frame.height(), cell}];
    if (image.isNull()) {
        const QImage half = noise(frame, cell, seed);
        image = QImage(frame.width() * 2, frame.height(), QImage::Format_RGB32);
        QPainter p(&image);
        p.drawImage(0, 0, half);
        p.drawImage(frame.width(), 0, half.mirrored(true, false));
    }
    return image;
}

// The same pictures, stream-copied again and again until the file holds `bytes`.
std::string repeatToSize(const std::string& source, const std::string& target, long long bytes) {
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, source.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(input, nullptr) < 0)
        return "cannot read " + source;
    std::vector<AVPacket*> packets;
    long long size = 0;
    for (AVPacket* packet = av_packet_alloc(); av_read_frame(input, packet) >= 0;
         packet = av_packet_alloc()) {
        size += packet->size;
        packets.push_back(packet);
    }
    const AVStream* in = input->streams[0];
    AVFormatContext* output = nullptr;
    std::string problem;
    if (avformat_alloc_output_context2(&output, nullptr, nullptr, target.c_str()) < 0)
        problem = "no container for " + target;
    AVStream* out = problem.empty() ? avformat_new_stream(output, nullptr) : nullptr;
    if (out) {
        avcodec_parameters_copy(out->codecpar, in->codecpar);
        out->codecpar->codec_tag = 0;
        out->time_base = in->time_base;
        out->avg_frame_rate = in->avg_frame_rate;
        if (avio_open(&output->pb, target.c_str(), AVIO_FLAG_WRITE) < 0 ||
            avformat_write_header(output, nullptr) < 0)
            problem = "cannot write " + target;
    }
    // One copy lasts from the first decode time to the last presentation time and a frame.
    std::int64_t first = packets.empty() ? 0 : packets.front()->dts, last = first;
    for (const AVPacket* p : packets)
        last = std::max(last, p->pts + p->duration);
    const long long copies = size > 0 ? (bytes + size - 1) / size : 0;
    for (long long copy = 0; problem.empty() && copy < copies; ++copy) {
        for (const AVPacket* p : packets) {
            AVPacket* again = av_packet_clone(p);
            const std::int64_t shift = copy * (last - first);
            again->pts = av_rescale_q(p->pts + shift, in->time_base, out->time_base);
            again->dts = av_rescale_q(p->dts + shift, in->time_base, out->time_base);
            again->duration = av_rescale_q(p->duration, in->time_base, out->time_base);
            again->stream_index = 0;
            if (av_interleaved_write_frame(output, again) < 0)
                problem = "cannot write a packet to " + target;
            av_packet_free(&again);
        }
    }
    if (problem.empty() && av_write_trailer(output) < 0)
        problem = "cannot finish " + target;
    if (output) {
        avio_closep(&output->pb);
        avformat_free_context(output);
    }
    for (AVPacket* p : packets)
        av_packet_free(&p);
    avformat_close_input(&input);
    return problem;
}

const std::string kFourK = "h264-3840x2160-60fps-gop60.mp4";

} // namespace

std::vector<BenchVideo> benchVideos() {
    std::vector<BenchVideo> videos;
    auto add = [&videos](std::string name, std::string file, videogen::Codec codec, int w, int h,
                         int gop, int bFrames, int fps = 30) {
        if (!videogen::encoderAvailable(codec))
            return;
        BenchVideo video{std::move(name), std::move(file), {}, gop > 1};
        video.settings.codec = codec;
        video.settings.width = w;
        video.settings.height = h;
        video.settings.frames = 300;
        video.settings.fpsNum = fps;
        video.settings.gop = gop;
        video.settings.maxBFrames = bFrames;
        video.settings.painter = paintBenchFrame;
        videos.push_back(std::move(video));
    };
    add("640x480 MJPEG", "mjpeg-640x480.avi", videogen::Codec::Mjpeg, 640, 480, 1, 0);
    add("1280x720 MPEG-4 Part 2, 2 B-frames, GOP 250", "mpeg4-1280x720-gop250.avi",
        videogen::Codec::Mpeg4, 1280, 720, 250, 2);
    add("1280x720 H.264, B-frames, GOP 250", "h264-1280x720-gop250.avi", videogen::Codec::H264,
        1280, 720, 250, 3);
    add("1920x1080 HEVC, 30 fps, B-frames, GOP 30 (MP4)", "hevc-1920x1080-gop30.mp4",
        videogen::Codec::Hevc, 1920, 1080, 30, 3);
    add("3840x2160 H.264, 60 fps, B-frames, GOP 60 (MP4)", kFourK, videogen::Codec::H264, 3840,
        2160, 60, 3, 60);
    return videos;
}

std::string ensureWritten(const BenchVideo& video, const std::string& folder, bool rewrite) {
    const std::string path = folder + "/" + video.fileName;
    if (!rewrite && QFileInfo(QString::fromStdString(path)).size() > 0)
        return {};
    return videogen::writeVideo(path, video.settings);
}

std::string ensureOpenTimeFiles(const std::string& folder, bool rewrite, OpenTimeFiles& files) {
    files.shortFile = folder + "/h264-3840x2160-short.mp4";
    files.longFile = folder + "/h264-3840x2160-1GB.mp4";
    const auto missing = [rewrite](const std::string& path) {
        return rewrite || QFileInfo(QString::fromStdString(path)).size() == 0;
    };
    const auto videos = benchVideos();
    const auto fourK = std::find_if(videos.begin(), videos.end(),
                                    [](const BenchVideo& v) { return v.fileName == kFourK; });
    if (fourK == videos.end())
        return "this FFmpeg has no H.264 encoder";
    if (missing(files.shortFile)) {
        videogen::VideoSettings settings = fourK->settings;
        settings.frames = 30;
        if (std::string problem = videogen::writeVideo(files.shortFile, settings); !problem.empty())
            return problem;
    }
    if (!missing(files.longFile))
        return {};
    return repeatToSize(folder + "/" + kFourK, files.longFile, 1000ll * 1000 * 1000);
}

void paintBenchFrame(QImage& frame, int n) {
    const QSize size = frame.size();
    QPainter p(&frame);
    // A slow pan over coarse blobs, a faster one over fine grain, and a ball that falls.
    const QImage& coarse = backdrop(size, 48, 1);
    const QImage& fine = backdrop(size, 6, 2);
    p.drawImage(0, 0, coarse, (n * 3) % size.width(), 0, size.width(), size.height());
    p.setOpacity(0.35);
    p.drawImage(0, 0, fine, (n * 7) % size.width(), 0, size.width(), size.height());
    p.setOpacity(1.0);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // On a white disc of its own, as a marker stuck to what moves: the tracking row follows
    // it down the left of the picture, clear of the frame number.
    const QPointF ball = benchBall(size, n);
    const double radius = size.height() / 14.0;
    p.setBrush(Qt::white);
    p.drawEllipse(ball, 2.4 * radius, 2.4 * radius);
    p.setBrush(QColor(230, 80, 30));
    p.drawEllipse(ball, radius, radius);
    p.end();

    const QRect block = codeBlock(frame.rect());
    QImage code(block.size(), QImage::Format_RGB32);
    videogen::paintFrameCode(code, n);
    QPainter(&frame).drawImage(block.topLeft(), code);
}

QPointF benchBall(QSize size, int n) {
    const double t = (n % 60) / 30.0;
    return {size.width() * (0.1 + 0.1 * (n % 150) / 150.0),
            size.height() / 14.0 + 0.5 * 9.8 * t * t * size.height() / 25.0};
}

QRect codeBlock(QRect displayed) {
    return QRect(displayed.x() + displayed.width() / 4, displayed.y() + displayed.height() / 4,
                 displayed.width() / 2, displayed.height() / 2);
}

QRect fitted(QSizeF shape, QSize destination) {
    if (shape.isEmpty() || destination.isEmpty())
        return QRect(QPoint(0, 0), destination);
    const double scale =
        std::min(destination.width() / shape.width(), destination.height() / shape.height());
    const int w = static_cast<int>(std::lround(shape.width() * scale));
    const int h = static_cast<int>(std::lround(shape.height() * scale));
    return QRect((destination.width() - w) / 2, (destination.height() - h) / 2, w, h);
}

} // namespace bench
