#pragma once

#include "media/service/container/frame_index.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVStream;

namespace media::service {

// The frame index of a video stream, and how its pictures are to be named (see
// PictureNumbering).
//
// Where the container holds an index of every packet (AVI's idx1, the sample tables of
// MP4/MOV/3GP), it is copied without reading the pictures, so opening does not grow with the
// file. Elsewhere (MPEG-TS, MPEG-PS, Matroska, WebM, ASF, fragmented MP4, an AVI without its
// index) the packets are read once. Packets an edit list cuts (the demuxer marks them
// discarded) show no picture, nor does the second field of a field-coded frame (camcorder
// AVCHD stores each field as a packet).
// How far reading a file through has got, and whether the user gave up waiting for it. Read
// and written from two threads.
struct ReadingProgress {
    std::atomic<int> permille{-1}; // below 0 when not known
    std::atomic<bool> cancelled{false};
};

struct BuiltIndex {
    std::int32_t code = 0; // kOk, or why the file cannot be shown
    FrameIndex index;
    bool byTimestamp = false; // pictures are named by presentation time, else counted
    double averageRate = 0;   // pictures per second, from the timestamps; 0 when unknown
};

// The AVI demuxer's index: read right after the file is opened, since the demuxer's entries
// only last until the next call into it.
std::vector<FrameIndex::Packet> copyAviIndex(const AVStream* stream);

// `aviIndex` as copied above, empty for other containers. Leaves the demuxer at the start.
// Reading through says how far it got in `progress`, and stops (kErrCancelled) when asked.
BuiltIndex buildFrameIndex(AVFormatContext* format, int stream, const std::string& path,
                           std::vector<FrameIndex::Packet> aviIndex,
                           ReadingProgress* progress = nullptr);

// A seam for tests: called before each packet read while a file is read through.
std::function<void()>& readingSeam();

// True when an MP4/MOV file's pictures lie in movie fragments, beyond its sample tables.
// Such a file is read through: where a segment index (sidx) leads to the fragments, the
// demuxer's index holds at opening only those it has visited.
bool hasMovieFragments(const std::string& path);

} // namespace media::service
