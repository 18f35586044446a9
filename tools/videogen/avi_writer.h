#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace videogen {

// Mjpeg, RawVideo (BGR24, rows stored top-down) and HuffYuv are intra-only; Mpeg4 (MPEG-4 Part 2)
// and H264 (libx264) use a long GOP with B-frames when asked for them.
enum class Codec { Mjpeg, RawVideo, Mpeg4, H264, HuffYuv };

// "mjpeg", "raw", "mpeg4", "h264", "huffyuv".
std::string_view codecName(Codec codec);
std::optional<Codec> codecFromName(std::string_view name);

// False when this FFmpeg build lacks the encoder (H264 needs libx264).
bool encoderAvailable(Codec codec);

struct VideoSettings {
    Codec codec = Codec::Mjpeg;
    int width = 320;  // even
    int height = 240; // even
    int frames = 30;
    int fpsNum = 30;
    int fpsDen = 1;
    // Keyframe interval and B-frames, used by Mpeg4 and H264 only. Keyframes fall exactly
    // every `gop` frames: no extra keyframes at scene changes.
    int gop = 12;
    int maxBFrames = 0;
    // Sample aspect ratio, written to the stream header and to the bitstream.
    int sarNum = 1;
    int sarDen = 1;
    // Frame numbers (1..frames-1) written as empty chunks, as a capture program does when it
    // drops a frame: they take their place in the index and the frame count, carry no
    // picture, and a player shows the frame before them. Their pictures are never painted.
    std::vector<int> droppedFrames{};
    // Draws frame n into an RGB32 image of width x height, black before each call.
    // Default: paintFrameCode.
    std::function<void(QImage&, int)> painter{};
};

// Writes the AVI file. Returns "" on success, else a message saying what went wrong.
// The frame painted as n is the n-th frame in display order, whatever the codec's
// decode order. The coded frames are held in memory until the end, where the largest
// reordering delay is known; 40,000 tiny frames take about a second.
std::string writeAvi(const std::string& path, const VideoSettings& settings);

} // namespace videogen
