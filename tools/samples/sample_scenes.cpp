#include "samples/sample_scenes.h"

#include "samples/scene_painting.h"

#include <QPainter>
#include <memory>

namespace samples {

namespace {

// The scale bar shows two unit lengths in blocks of half a unit, whatever the source size.
constexpr double kBarBlock = kPixelsPerUnit / 2;

Sample makeProjectile() {
    Sample s;
    s.fileName = "projectile.avi";
    s.description = "ball thrown sideways: constant vx, constant downward acceleration";
    s.subject = Subject::Ball;
    s.motion = {QPointF(20, 24), QPointF(80, 0), QPointF(0, 32)};
    s.discRadius = 7;
    s.video.codec = videogen::Codec::Mjpeg;
    s.video.width = 320;
    s.video.height = 240;
    s.video.frames = 105;
    return s;
}

Sample makeCart() {
    Sample s;
    s.fileName = "cart.avi";
    s.description = "cart on a track at constant velocity";
    s.subject = Subject::Cart;
    s.motion = {QPointF(40, 150), QPointF(80, 0), QPointF(0, 0)};
    s.discRadius = 5;
    s.video.codec = videogen::Codec::Mjpeg;
    s.video.width = 320;
    s.video.height = 240;
    s.video.frames = 90;
    return s;
}

// A camera's long GOP with B-frames, shown letterboxed at a quarter of its size.
Sample makeFreeFall() {
    Sample s;
    s.fileName = "free_fall_16x9.avi";
    s.description = "ball dropped from rest, filmed in 16:9";
    s.subject = Subject::Ball;
    s.motion = {QPointF(160, 44), QPointF(0, 0), QPointF(0, 40)};
    s.discRadius = 7;
    s.displayScale = 0.25;
    s.displayOffset = QPointF(0, 30);
    s.video.codec = videogen::encoderAvailable(videogen::Codec::H264) ? videogen::Codec::H264
                                                                      : videogen::Codec::Mpeg4;
    s.video.width = 1280;
    s.video.height = 720;
    s.video.frames = 81;
    s.video.gop = 30;
    s.video.maxBFrames = 2;
    return s;
}

Sample makeDroppedBall() {
    Sample s;
    s.fileName = "drop_240fps.mp4";
    s.description = "ball dropped beside a metre stick, filmed at 240 frames per second";
    s.subject = Subject::DroppedBall;
    // The stick stands 200 pixels tall: 200 pixels a metre.
    s.stickTop = QPointF(60, 20);
    s.stickBottom = QPointF(60, 220);
    const double pixelsPerMetre = (s.stickBottom.y() - s.stickTop.y()) / kStickMetres;
    s.motion = {QPointF(160, 24), QPointF(0, 0), QPointF(0, kGravity * pixelsPerMetre)};
    s.discRadius = 7;
    s.filmedRate = 240;
    s.video.codec = videogen::encoderAvailable(videogen::Codec::H264) ? videogen::Codec::H264
                                                                      : videogen::Codec::Mpeg4;
    s.video.width = 320;
    s.video.height = 240;
    s.video.frames = 104;
    s.video.gop = 30;
    s.video.maxBFrames = 2;
    s.video.captureRate = 240;
    return s;
}

// Where the table top lies, the scale bar and the track, in display pixels.
struct Stage {
    double tableTop;
    QPointF barTopLeft;
    double railTop; // 0: no track
};

Stage stageOf(const Sample& sample) {
    switch (sample.subject) {
    case Subject::Cart:
        return {sample.motion.start.y() + 40, QPointF(20, 14), sample.motion.start.y() + 22};
    case Subject::DroppedBall:
        return {232, QPointF(), 0};
    case Subject::Ball:
        break;
    }
    if (sample.displayScale != 1.0)
        return {200, QPointF(20, 188), 0};
    return {230, QPointF(220, 10), 0};
}

QImage stillScene(const Sample& sample) {
    const Stage stage = stageOf(sample);
    const double scale = 1.0 / sample.displayScale;
    // Painted upright: a phone's portrait video is stored turned.
    const QSize stored(sample.video.width, sample.video.height);
    QImage picture =
        texturedBackground(sample.video.rotation % 180 != 0 ? stored.transposed() : stored,
                           toSource(sample, QPointF(0, stage.tableTop)).y());
    if (sample.subject == Subject::DroppedBall) {
        paintMetreStick(picture, toSource(sample, sample.stickTop),
                        toSource(sample, sample.stickBottom), scale);
        return picture;
    }
    paintScaleBar(picture, toSource(sample, stage.barTopLeft), kBarBlock * scale, 5 * scale);
    if (stage.railTop > 0)
        paintTrack(picture, toSource(sample, QPointF(0, stage.railTop)).y(), scale);
    return picture;
}

} // namespace

QPointF Motion::at(double seconds) const {
    return start + velocity * seconds + acceleration * (seconds * seconds / 2);
}

std::vector<Sample> allSamples() {
    return {makeProjectile(), makeCart(), makeFreeFall(), makeDroppedBall()};
}

Sample droppedBall() {
    return makeDroppedBall();
}

const Sample& projectile() {
    static const Sample sample = makeProjectile();
    return sample;
}

QPointF toSource(const Sample& sample, QPointF display) {
    return (display - sample.displayOffset) / sample.displayScale;
}

videogen::VideoSettings videoSettings(const Sample& sample) {
    videogen::VideoSettings settings = sample.video;
    auto still = std::make_shared<const QImage>(stillScene(sample));
    settings.painter = [sample, still](QImage& frame, int n) {
        {
            QPainter p(&frame);
            p.drawImage(0, 0, *still);
        }
        // A position names a pixel; the disc is centred on the middle of that pixel.
        const QPointF centre = toSource(sample, sample.atFrame(n) + QPointF(0.5, 0.5));
        const double radius = sample.discRadius / sample.displayScale;
        switch (sample.subject) {
        case Subject::Ball:
        case Subject::DroppedBall:
            paintBall(frame, centre, radius);
            break;
        case Subject::Cart:
            paintCart(frame, centre, radius, 1.0 / sample.displayScale);
            break;
        }
    };
    return settings;
}

} // namespace samples
