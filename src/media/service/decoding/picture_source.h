#pragma once

#include "media/service/decoding/video_decoder.h"

#include <map>
#include <memory>
#include <optional>

namespace media::service {

// Gives the pictures of the video one rank after the other (see FrameIndex), from where the
// decoder was positioned.
//
// A run starts at a keyframe, or earlier when the picture wanted is one of the keyframe's
// leading pictures (displayed before it, stored after it, decoded only from the GOP before).
// A rank the decoder leaves without a picture (a damaged packet) shows the picture before it.
class PictureSource {
  public:
    explicit PictureSource(std::unique_ptr<VideoDecoder> decoder);
    ~PictureSource();
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    VideoDecoder& decoder() { return *decoder_; }
    const FrameIndex& index() const { return decoder_->index(); }

    struct Picture {
        int rank = 0;
        const AVFrame* frame = nullptr;
        bool standIn = false; // the picture before, for one the decoder did not give
    };

    // The rank of the picture next() gives, or -1 when the decoder must be positioned first.
    int nextRank() const { return nextRank_; }
    // The start (see FrameIndex) to decode from so that the picture of `rank` comes out whole.
    int startFor(int rank);
    // Pictures to decode to reach `rank` from where the decoder stands, or -1 when it
    // cannot get there without starting anew.
    int continuingCost(int rank) const;
    // Pictures to decode to reach `rank` when starting anew (an estimate that leaves the
    // decoder where it stands).
    int restartCost(int rank) const;
    // Positions the decoder at the start that serves `rank`.
    bool startAtFor(int rank);
    // Forgets where the decoder stands: the next picture wanted starts a new run.
    void forget() { nextRank_ = -1; }
    // The next picture in display order, or nothing at the end. The frame stays valid until
    // the next call.
    std::optional<Picture> next();

  private:
    int leadingAt(int k);
    const AVFrame* standIn(const AVFrame* frame);

    std::unique_ptr<VideoDecoder> decoder_;
    std::map<int, int> leading_; // start -> its leading pictures
    int nextRank_ = -1;
    AVFrame* last_ = nullptr; // the picture given out last, to stand in for a missing one
    AVFrame* held_ = nullptr; // a picture that waits while stand-ins go first
    int heldRank_ = -1;
};

} // namespace media::service
