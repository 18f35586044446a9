#pragma once

#include <QRect>
#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace videogen {

// A video file read with nothing but libavformat and libavcodec, on one decoding thread and
// without any cache: what a generated file really holds, and the benchmark's yardstick.
class PlainDecoder {
  public:
    PlainDecoder();
    ~PlainDecoder();
    PlainDecoder(const PlainDecoder&) = delete;
    PlainDecoder& operator=(const PlainDecoder&) = delete;

    // Opens the first video stream; "" on success, else what went wrong.
    std::string open(const std::string& path);
    const AVStream* stream() const;
    int width() const;
    int height() const;
    // File positions of the keyframes the demuxer's index holds, ascending.
    const std::vector<std::int64_t>& keyframes() const { return keyframes_; }

    // Moves to the packet at or before this position and empties the decoder.
    bool seekToPacket(std::int64_t position);
    // The next picture in display order, or nullptr at the end; valid until the next call.
    const AVFrame* nextFrame();
    // The decode timestamps of the packets with a picture read since the last seek.
    const std::vector<std::int64_t>& packetDts() const { return packetDts_; }

    // The frame number painted into a decoded picture, read from its luma plane alone (the
    // code is black and white on grey); `area` is the code's place, the whole picture when
    // empty. -1 when none reads.
    static int frameNumber(const AVFrame* frame, QRect area = {});

  private:
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    bool draining_ = false;
    std::vector<std::int64_t> keyframes_;
    std::vector<std::int64_t> packetDts_;
};

} // namespace videogen
