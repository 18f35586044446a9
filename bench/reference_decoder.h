#pragma once

#include "videogen/plain_decoder.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

struct AVFrame;
struct SwsContext;

namespace bench {

// The two yardsticks the service is measured against, on one decoding thread and with no
// cache: decoding the file straight through (the floor), and a naive service that seeks
// to the keyframe before every request and decodes forward to it. Frames are recognised
// by the number painted into them.
class ReferenceDecoder {
  public:
    ReferenceDecoder() = default;
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
    void scale(const AVFrame* frame);

    videogen::PlainDecoder decoder_;
    // Each keyframe's timestamp and the number of the first picture decoded from it.
    std::vector<std::pair<std::int64_t, int>> keyframes_;
    SwsContext* sws_ = nullptr;
    QImage shown_;
};

} // namespace bench
