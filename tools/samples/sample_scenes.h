#pragma once

#include "videogen/video_settings.h"

#include <QPointF>
#include <QSize>
#include <string>
#include <vector>

// The sample experiment videos that come with the program: what each shows, how it is
// encoded, and the true motion of the disc a user clicks, so that the expected readings
// are known exactly.
namespace samples {

// The program counts time in frames of 1/30 s and length in units of 40 pixels.
inline constexpr double kFramesPerSecond = 30.0;
inline constexpr double kPixelsPerUnit = 40.0;

// Constant-acceleration motion of the disc's centre, in display pixels: the pixels of the
// program's 320 x 240 video area, with y downwards. A position is the pixel a click on the
// disc's centre lands on (the centre of pixel (i, j) is at (i + 0.5, j + 0.5) in painting
// coordinates).
struct Motion {
    QPointF start;        // at frame 0
    QPointF velocity;     // pixels per second
    QPointF acceleration; // pixels per second squared

    QPointF at(double seconds) const;
};

// Pixels per second squared, as unit lengths per second squared.
constexpr double unitsPerSecondSquared(double pixelsPerSecondSquared) {
    return pixelsPerSecondSquared / kPixelsPerUnit;
}

// A ball thrown or dropped, a cart on its track, or a ball dropped beside a metre stick
// (the stick's ends are where a length reference is clicked).
enum class Subject { Ball, Cart, DroppedBall };

struct Sample {
    std::string fileName;
    std::string description;
    Subject subject = Subject::Ball;
    Motion motion;
    double discRadius = 7.0; // display pixels
    // How the video's picture lies in the 320 x 240 video area: display = source * scale +
    // offset (a 16:9 picture is shown letterboxed).
    double displayScale = 1.0;
    QPointF displayOffset;
    // Codec, size and frame count; the painter is set by videoSettings().
    videogen::VideoSettings video;
    // How far apart in time the frames were filmed: a slow-motion video plays slower.
    double filmedRate = kFramesPerSecond;
    // The metre stick of a dropped ball: its two ends, in display pixels.
    QPointF stickTop;
    QPointF stickBottom;

    QPointF atFrame(int frame) const { return motion.at(frame / filmedRate); }
};

// Metres of the stick beside a dropped ball, and the acceleration it falls with.
inline constexpr double kStickMetres = 1.0;
inline constexpr double kGravity = 9.8; // m/s²

// The four samples. The 16:9 one and the slow-motion one use H.264 when this FFmpeg can
// encode it, else MPEG-4 Visual.
std::vector<Sample> allSamples();
const Sample& projectile();
// A ball dropped beside a metre stick, filmed in slow motion at 240 frames per second and
// played at 30, the capture rate recorded as Android does.
Sample droppedBall();

// The encoder settings with a painter that draws the sample's scene for every frame.
videogen::VideoSettings videoSettings(const Sample& sample);

// A point of the display (painting coordinates) in the source picture's coordinates.
QPointF toSource(const Sample& sample, QPointF display);

} // namespace samples
