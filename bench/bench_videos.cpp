#include "bench_videos.h"

#include "videogen/frame_code.h"

#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>
#include <map>

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

} // namespace

std::vector<BenchVideo> benchVideos() {
    std::vector<BenchVideo> videos;
    auto add = [&videos](std::string name, std::string file, videogen::Codec codec, int w, int h,
                         int gop, int bFrames) {
        BenchVideo video{std::move(name), std::move(file), {}, gop > 1};
        video.settings.codec = codec;
        video.settings.width = w;
        video.settings.height = h;
        video.settings.frames = 300;
        video.settings.gop = gop;
        video.settings.maxBFrames = bFrames;
        video.settings.painter = paintBenchFrame;
        videos.push_back(std::move(video));
    };
    add("640x480 MJPEG", "mjpeg-640x480.avi", videogen::Codec::Mjpeg, 640, 480, 1, 0);
    add("1280x720 MPEG-4 Part 2, 2 B-frames, GOP 250", "mpeg4-1280x720-gop250.avi",
        videogen::Codec::Mpeg4, 1280, 720, 250, 2);
    if (videogen::encoderAvailable(videogen::Codec::H264))
        add("1280x720 H.264, B-frames, GOP 250", "h264-1280x720-gop250.avi", videogen::Codec::H264,
            1280, 720, 250, 3);
    return videos;
}

std::string ensureWritten(const BenchVideo& video, const std::string& folder, bool rewrite) {
    const std::string path = folder + "/" + video.fileName;
    if (!rewrite && QFileInfo(QString::fromStdString(path)).size() > 0)
        return {};
    return videogen::writeAvi(path, video.settings);
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
    const double t = (n % 60) / 30.0;
    const double radius = size.height() / 14.0;
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(230, 80, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(size.width() * (0.1 + 0.8 * (n % 150) / 150.0),
                          radius + 0.5 * 9.8 * t * t * size.height() / 25.0),
                  radius, radius);
    p.end();

    const QRect block = codeBlock(frame.rect());
    QImage code(block.size(), QImage::Format_RGB32);
    videogen::paintFrameCode(code, n);
    QPainter(&frame).drawImage(block.topLeft(), code);
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
