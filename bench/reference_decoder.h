#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace bench {

// The two yardsticks the service is measured against, on one decoding thread and with no
// cache: decoding the file straight through (the floor), and a naive service that seeks
// to the keyframe before every request and decodes forward to it. Frames are recognised
// by the number painted into them.
class ReferenceDecoder {
  public:
    ReferenceDecoder();
    ~ReferenceDecoder();
    ReferenceDecoder(const ReferenceDecoder&) = delete;
    ReferenceDecoder& operator=(const ReferenceDecoder&) = delete;

    // Opens the file; pictures are scaled as they would be shown in `destination`.
    std::string open(const std::string& path, QSize destination);

    // Decodes and scales every picture in order: the time each one took, in ms.
    std::vector<double> decodeAll();
    // Shows `target` the naive way; the time it took in ms, or -1 when it never came out.
    double showNaive(int target);

  private:
    bool seekToPacket(std::int64_t position);
    const AVFrame* nextFrame();
    int numberOf(const AVFrame* frame) const;
    void scale(const AVFrame* frame);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* sws_ = nullptr;
    int stream_ = -1;
    bool draining_ = false;
    std::vector<std::int64_t> keyframes_; // file positions, ascending
    QSize destination_;
    QRect displayed_;
    QImage shown_;
};

} // namespace bench
