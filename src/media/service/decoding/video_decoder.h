#pragma once

#include "media/service/container/frame_index.h"
#include "media/service/container/index_building.h"
#include "media/service/decoding/picture_numbering.h"
#include "media/service/pictures/display_transform.h"

#include <QSizeF>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace media::service {

// Decoding threads for a machine with `cores` cores and pictures of `pictureBytes`: one core
// is left to the window and the presenting of pictures, at least two threads (a small
// machine's decoding speed), at most eight, and for pictures as large as 4K no more than
// their memory allows (each thread holds pictures of its own).
int decodingThreads(int cores, std::size_t pictureBytes);

// One video file opened with libavformat and libavcodec: its frame index, and pictures
// decoded from a start point (see FrameIndex), each named by its rank. Audio and other
// streams are skipped. Not thread-safe: one thread at a time.
class VideoDecoder {
  public:
    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the file, builds the frame index and decodes the first picture to make sure
    // the video can be shown. Returns 0 or an error code. A file read through says how far
    // it got in `progress` and stops when asked to.
    std::int32_t open(const std::string& path, ReadingProgress* progress = nullptr);

    const FrameIndex& index() const { return index_; }
    // The rate the file plays at: its average, from the timestamps where the header has none.
    double framesPerSecond() const { return fps_; }
    // The rate it was filmed at, where the file records it (a phone's slow motion), else the
    // rate it plays at.
    double filmedRate() const { return filmedRate_; }
    // The picture's shape as it is meant to be seen: the sample aspect ratio applied, turned
    // upright by the display matrix.
    QSizeF displaySize() const { return displaySize_; }
    DisplayTransform transform() const { return transform_; }
    // True when a keyframe can be followed by pictures displayed before it.
    bool reorders() const { return reorders_; }

    // The picture at rank 0, decoded when the file was opened, until it is let go (a 4K
    // picture is worth its memory only until it has been shown once).
    const AVFrame* firstPicture() const { return firstPicture_; }
    void letGoOfFirstPicture();
    // The decoded pictures' width, height and pixel format.
    struct Geometry {
        int width = 0;
        int height = 0;
        int format = -1;
    };
    Geometry geometry() const { return geometry_; }

    // What the decoder gave out: a picture, or (frame nullptr) a failure in a picture's place.
    struct Output {
        const AVFrame* frame = nullptr; // valid until the next call
        int rank = PictureNumbering::kUnnamed;
    };
    // Moves to start k of the index and empties the decoder; nothing is decoded yet. A run
    // named by count gives out `firstRank` first (see PictureNumbering). False when the file
    // cannot be positioned.
    bool seekToStart(int k, int firstRank);
    // Decodes until the decoder gives something out; nothing at the end of the stream.
    std::optional<Output> nextOutput();
    // While set, pictures no other picture refers to are not decoded (playback catching up):
    // their ranks are left without a picture. Only where pictures are named by timestamp:
    // counted ones would lose their count.
    bool canSkip() const { return numbering_.method() == PictureNumbering::Method::ByTimestamp; }
    void skipUnreferenced(bool skip);
    // How many pictures displayed before start k's own picture are stored after it (an open
    // GOP's leading pictures): a run from k cannot show them. Leaves the decoder to be
    // positioned again.
    int leadingPictures(int k);

  private:
    std::int32_t openStream(const std::string& path, ReadingProgress* progress);
    bool openCodec();
    // Finds the first picture; by timestamp, also which packets at the head of the stream
    // never give a picture (before the first keyframe, or leading pictures it drops).
    bool findFirstPicture();
    // A file cut short ends inside a packet: a cut JPEG still shows its top rows, a cut H.264
    // slice shows nothing. Decodes the last pictures to drop the cut ones that never come out,
    // as the ffmpeg tool shows none there.
    bool dropCutPicturesNeverShown();
    // How many pictures to decode at the head to see that the timestamps follow the display
    // order.
    int headPicturesToCheckOrder() const;
    void describePicture();
    bool keepFirstPicture(const AVFrame* frame);
    // Reads the next packet of the video stream that is due to be decoded; false at the end.
    bool readVideoPacket();
    void close();

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVFrame* firstPicture_ = nullptr;
    Geometry geometry_;
    int stream_ = -1;
    FrameIndex index_;
    PictureNumbering numbering_;
    double fps_ = 30.0;
    double filmedRate_ = 30.0;
    QSizeF displaySize_;
    DisplayTransform transform_;
    bool reorders_ = false;

    int skipBefore_ = 0;     // packets before this one are not decoded
    bool fromStart_ = false; // the last seek overshot, so reading went back to the start
    bool flushing_ = false;  // the end of the stream was handed to the decoder
    bool finished_ = false;  // the decoder has given out its last picture
    int located_ = -1;       // the index's packet read last, -1 when unknown
    bool shows_ = true;      // whether the packet read last shows a picture of its own
    // While the head of the stream is examined: each packet sent, with its timestamp.
    std::vector<std::pair<int, std::int64_t>>* sentLog_ = nullptr;
};

} // namespace media::service
