#pragma once

#include "videogen/video_settings.h"

#include <QRect>
#include <QSizeF>
#include <string>
#include <vector>

namespace bench {

// One generated video the service is measured on.
struct BenchVideo {
    std::string name;     // as printed in the report
    std::string fileName; // inside the video folder; its extension gives the container
    videogen::VideoSettings settings;
    bool longGop = false; // the long-GOP targets apply
    // The keyframe that the reverse steps and the user's steps back cross.
    int crossedKeyframe() const { return settings.gop >= 250 ? 250 : 240; }
};

// 640x480 MJPEG; 1280x720 MPEG-4 Part 2 with B-frames and 1280x720 H.264, both GOP 250,
// 10 s each at 30 fps; then phone sizes in MP4: 1920x1080 HEVC at 30 fps, GOP 30 (10 s),
// and 3840x2160 H.264 at 60 fps, GOP 60 (5 s). Those needing libx264 or libx265 only when
// this FFmpeg has them.
std::vector<BenchVideo> benchVideos();

// The open-time row: a short 4K file (0.5 s) and a long one of about a gigabyte, the same
// pictures over and over (a stream copy of the 5 s file, repeated). Written once, reused.
struct OpenTimeFiles {
    std::string shortFile;
    std::string longFile;
};
std::string ensureOpenTimeFiles(const std::string& folder, bool rewrite, OpenTimeFiles& files);

// Writes the video into `folder` unless a file of that name is already there.
std::string ensureWritten(const BenchVideo& video, const std::string& folder, bool rewrite);

// The pictures are textured and move, like filmed scenes, so decoding costs what it costs
// on real footage; the frame number sits in a block at the centre, half as wide and high
// as the picture.
void paintBenchFrame(QImage& frame, int n);
QRect codeBlock(QRect displayed);
// The middle of the falling ball in frame n of a picture of this size: it falls from the top
// for 60 frames, then starts again.
QPointF benchBall(QSize size, int n);

// Where a picture of this display shape sits in the destination: as large as fits,
// centred, aspect kept.
QRect fitted(QSizeF shape, QSize destination);

} // namespace bench
