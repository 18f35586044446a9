#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace videogen {

// Mjpeg, RawVideo (BGR24, rows stored top-down) and HuffYuv are intra-only. The others use a
// long GOP: Mpeg4 (MPEG-4 Part 2), H264 (libx264), Hevc (libx265, open GOPs), Mpeg2 and Wmv2
// (FFmpeg's own), Vp8 and Vp9 (libvpx), Av1 (libaom); B-frames where the codec has them.
enum class Codec { Mjpeg, RawVideo, Mpeg4, H264, HuffYuv, Hevc, Mpeg2, Vp8, Vp9, Av1, Wmv2 };

// "mjpeg", "raw", "mpeg4", "h264", "huffyuv", "hevc", "mpeg2", "vp8", "vp9", "av1", "wmv2".
std::string_view codecName(Codec codec);
std::optional<Codec> codecFromName(std::string_view name);

// False when this FFmpeg build lacks the encoder (H264 needs libx264, Hevc libx265 ...).
bool encoderAvailable(Codec codec);

struct VideoSettings {
    Codec codec = Codec::Mjpeg;
    int width = 320;  // even
    int height = 240; // even
    int frames = 30;
    int fpsNum = 30;
    int fpsDen = 1;
    // Keyframe interval and B-frames, for the long-GOP codecs. Keyframes fall exactly
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
    // Draws frame n into an RGB32 image of the size it is shown at (width x height, sides
    // swapped when turned by a quarter), black before each call. Default: paintFrameCode.
    std::function<void(QImage&, int)> painter{};

    // Other containers than AVI only.
    // The display matrix a phone writes (MP4/MOV): the stored picture is to be turned by
    // this many degrees as FFmpeg's tools print it (-90: a quarter clockwise) and, when
    // mirrored, then flipped left to right. The picture is stored so that, shown that way,
    // it stands upright.
    int rotation = 0;
    bool mirrored = false;
    // Frames an edit list cuts from the start (MP4/MOV): they are coded, then left out.
    int cutFrames = 0;
    // Timestamps wobble by up to this many eighths of a frame period: a variable rate.
    int timeJitter = 0;
    // The rate a phone says it filmed at (slow motion played at fpsNum/fpsDen), written as
    // Android does (MP4/MOV); 0 for none.
    int captureRate = 0;
    // The MP4/MOV muxer's movflags, e.g. "frag_keyframe+empty_moov" for movie fragments as
    // browsers and screen recorders write them; empty for one movie box.
    std::string movFlags{};
};

// Writes the AVI file. Returns "" on success, else a message saying what went wrong.
// The frame painted as n is the n-th frame in display order, whatever the codec's
// decode order. The coded frames are held in memory until the end, where the largest
// reordering delay is known; 40,000 tiny frames take about a second.
std::string writeAvi(const std::string& path, const VideoSettings& settings);

// Writes a video in the container its name's extension says (.avi as writeAvi; .mp4, .mov,
// .3gp, .mkv, .webm, .ts, .mts, .mpg, .wmv ...), with presentation times. The picture of
// frame n (n >= cutFrames) is the (n - cutFrames)-th picture shown.
std::string writeVideo(const std::string& path, const VideoSettings& settings);

} // namespace videogen
