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
    std::string fileName; // inside the video folder
    videogen::VideoSettings settings;
    bool longGop = false; // the GOP-250 targets apply
};

// 640x480 MJPEG; 1280x720 MPEG-4 Part 2 with B-frames and 1280x720 H.264 (when libx264 is
// there), both GOP 250; 10 s each at 30 fps.
std::vector<BenchVideo> benchVideos();

// Writes the video into `folder` unless a file of that name is already there.
std::string ensureWritten(const BenchVideo& video, const std::string& folder, bool rewrite);

// The pictures are textured and move, like filmed scenes, so decoding costs what it costs
// on real footage; the frame number sits in a block at the centre, half as wide and high
// as the picture.
void paintBenchFrame(QImage& frame, int n);
QRect codeBlock(QRect displayed);

// Where a picture of this display shape sits in the destination: as large as fits,
// centred, aspect kept.
QRect fitted(QSizeF shape, QSize destination);

} // namespace bench
