#pragma once

#include <QImage>
#include <QRectF>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

namespace support {

// What plain libavformat/libavcodec see in a file, decoded from start to end.
struct DecodedVideo {
    std::string error;               // empty when the file opened and decoded
    std::int64_t declaredFrames = 0; // the stream header's frame count
    AVRational frameRate{0, 1};
    AVRational streamSar{0, 1};
    AVRational frameSar{0, 1};           // as the first decoded frame carries it
    std::vector<std::int64_t> packetDts; // every packet with a picture, in file order
    std::vector<int> codes;              // readFrameCode of each decoded frame, in display order
    bool sawBFrame = false;
};

// Decodes every frame of the first video stream and reads the frame code of each, painted
// over `codeArea` (a fraction of the frame).
DecodedVideo decodeVideo(const std::string& path, QRectF codeArea = QRectF(0, 0, 1, 1));

} // namespace support
