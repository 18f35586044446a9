#pragma once

#include "videogen/video_settings.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

// What both writers share: the settings' checks, the encoder, and the painted frames.
namespace videogen::encoding {

std::string avError(int code);

struct FormatDeleter {
    void operator()(AVFormatContext* f) const;
};
struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FormatPtr = std::unique_ptr<AVFormatContext, FormatDeleter>;

// "" when the settings can be written, else what is wrong with them.
std::string checkSettings(const VideoSettings& settings);

// The encoder and what it has handed back, in decode order. Frame n has presentation time n
// in the codec's time base, one frame period.
class Encoder {
  public:
    // `globalHeader`: the container keeps the codec's headers once, out of band.
    std::string open(const VideoSettings& settings, bool globalHeader = false);
    AVCodecContext* context() const { return ctx_.get(); }
    // Sends a frame, or nullptr to drain, and keeps every packet that comes out.
    std::string send(const AVFrame* frame);
    std::vector<PacketPtr>& packets() { return packets_; }

  private:
    std::unique_ptr<AVCodecContext, CodecDeleter> ctx_;
    std::vector<PacketPtr> packets_;
};

// Paints each frame upright in RGB32, turns it as it is to be stored, and converts it to the
// encoder's format.
class FrameSource {
  public:
    std::string open(const VideoSettings& settings, AVPixelFormat format);
    std::string paint(int n);
    const AVFrame* frame() const { return frame_.get(); }

  private:
    VideoSettings settings_;
    QImage upright_;
    std::unique_ptr<AVFrame, FrameDeleter> frame_;
    std::unique_ptr<SwsContext, ScaleDeleter> scale_;
};

// Paints and encodes every frame not dropped; `places` gets their numbers.
std::string encodeAll(const VideoSettings& settings, Encoder& encoder, std::vector<int>& places);

} // namespace videogen::encoding
