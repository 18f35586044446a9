#pragma once

#include "media/service/frame_index.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <cstdint>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace media::service {

// One video file opened with libavformat and libavcodec: its frame index, and pictures
// decoded in display order from a keyframe. Audio and other streams are skipped. Not
// thread-safe: one thread at a time.
class VideoDecoder {
  public:
    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the file, builds the frame index and decodes the first picture to make sure
    // the video can be shown. Returns 0 or an error code.
    std::int32_t open(const std::string& path);

    const FrameIndex& index() const { return index_; }
    double framesPerSecond() const { return fps_; }
    // The picture's shape as it is meant to be seen: width times the sample aspect ratio.
    QSizeF displaySize() const { return displaySize_; }
    // True when a keyframe can be followed by pictures displayed before it.
    bool reorders() const { return reorders_; }

    // The picture at rank 0, decoded when the file was opened.
    const AVFrame* firstPicture() const { return firstPicture_; }

    // Moves to the keyframe at file position `keyframe` and empties the decoder; nothing is
    // decoded yet. False when the file cannot be positioned.
    bool seekToKeyframe(int keyframe);
    // Decodes until the next picture in display order comes out; nullptr at the end of the
    // stream. The frame stays valid until the next call.
    const AVFrame* nextPicture();
    // Decodes `packets` packets from `keyframe` and counts the pictures that come out: the
    // rest are pictures that refer to the GOP before. Leaves the decoder to be sought again.
    int picturesDecodableFrom(int keyframe, int packets);

  private:
    std::int32_t openStream(const std::string& path);
    void copyDemuxerIndex(std::vector<FrameIndex::Entry>& entries);
    bool scanPackets(std::vector<FrameIndex::Entry>& entries);
    void buildIndex(std::vector<FrameIndex::Entry> entries);
    // Reads the next packet of the video stream that is due to be decoded; false at the end.
    bool readVideoPacket();
    // Gives out `picture` and keeps a reference to it, to stand in for one that is missing.
    const AVFrame* show(AVFrame* picture);
    void close();

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVFrame* firstPicture_ = nullptr;
    int stream_ = -1;
    bool aviTimestamps_ = false;
    bool byOffset_ = false; // packets are told apart by byte offset, not by timestamp
    FrameIndex index_;
    double fps_ = 30.0;
    QSizeF displaySize_;
    bool reorders_ = false;

    int skipBefore_ = 0;     // packets before this file position are not decoded
    bool fromStart_ = false; // the last seek overshot, so reading went back to the start
    bool flushing_ = false;  // the end of the stream was handed to the decoder
    bool finished_ = false;  // the decoder has given out its last picture

    // Packets sent and pictures given out since the last seek, by the packet's count: the
    // last packet sent, and the packet that the last picture out stood for.
    int lastIn_ = -1;
    int lastOut_ = -1;
    AVFrame* shown_ = nullptr; // the picture given out last
    AVFrame* held_ = nullptr;  // a picture held back while a stand-in goes first
    bool heldBack_ = false;
    int owed_ = 0; // stand-ins still to give out before it
};

} // namespace media::service
