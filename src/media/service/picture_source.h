#pragma once

#include "media/service/video_decoder.h"

#include <map>
#include <memory>
#include <optional>

namespace media::service {

// Names each decoded picture by its rank in display order (see FrameIndex).
//
// AVI packets carry only their place in the file, and with B-frames a decoder's timestamps
// run ahead of the display order, so pictures are counted instead: from a keyframe the
// decoder emits pictures in display order, after skipping those stored behind the keyframe
// but displayed before it (they refer to the GOP before). How many it skips is measured once
// per keyframe, then the count gives every picture's rank.
class PictureSource {
  public:
    explicit PictureSource(std::unique_ptr<VideoDecoder> decoder);

    VideoDecoder& decoder() { return *decoder_; }
    const FrameIndex& index() const { return decoder_->index(); }

    struct Picture {
        int rank = 0;
        const AVFrame* frame = nullptr;
    };

    // The rank of the picture next() gives, or -1 when the decoder must be positioned first.
    int nextRank() const { return nextRank_; }
    // The keyframe to start from so that the picture of `rank` comes out whole.
    int startFor(int rank);
    // Pictures to decode to reach `rank` from where the decoder stands, or -1 when it
    // cannot get there without starting anew.
    int continuingCost(int rank) const;
    // Pictures to decode to reach `rank` when starting anew (an estimate that leaves the
    // decoder where it stands).
    int restartCost(int rank) const;
    // Positions the decoder at the keyframe that serves `rank`.
    bool startAtFor(int rank);
    // The next picture in display order, or nothing at the end.
    std::optional<Picture> next();

  private:
    int skippedAt(int keyframe);

    std::unique_ptr<VideoDecoder> decoder_;
    std::map<int, int> skipped_; // keyframe -> pictures the decoder skips when starting there
    int nextRank_ = -1;
};

} // namespace media::service
