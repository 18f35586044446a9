#include "media/service/decoding/picture_source.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>

namespace media::service {

namespace {
// Leading pictures are at most a few B-frames: what a restart is thought to cost before
// they have been counted.
constexpr int kLeadingGuess = 12;
} // namespace

PictureSource::PictureSource(std::unique_ptr<VideoDecoder> decoder)
    : decoder_(std::move(decoder)), last_(av_frame_alloc()), held_(av_frame_alloc()) {}

PictureSource::~PictureSource() {
    av_frame_free(&last_);
    av_frame_free(&held_);
}

int PictureSource::leadingAt(int k) {
    if (k == 0 || !decoder_->reorders())
        return 0;
    const auto known = leading_.find(k);
    if (known != leading_.end())
        return known->second;
    const int leading = decoder_->leadingPictures(k);
    leading_[k] = leading;
    nextRank_ = -1; // counting them moved the decoder
    return leading;
}

int PictureSource::startFor(int rank) {
    int k = index().startAtOrBefore(rank);
    // A picture displayed before its keyframe needs the GOP before decoded too.
    while (k > 0 && rank < index().start(k).rank + leadingAt(k))
        --k;
    return k;
}

int PictureSource::continuingCost(int rank) const {
    if (nextRank_ < 0 || rank < nextRank_)
        return -1;
    return rank - nextRank_ + 1;
}

int PictureSource::restartCost(int rank) const {
    // Estimated without counting leading pictures, which would move the decoder.
    int k = index().startAtOrBefore(rank);
    if (k > 0 && decoder_->reorders()) {
        const auto known = leading_.find(k);
        const int leading = known != leading_.end() ? known->second : kLeadingGuess;
        if (rank < index().start(k).rank + leading)
            --k;
    }
    return rank - index().start(k).rank + 1;
}

bool PictureSource::startAtFor(int rank) {
    const int k = startFor(rank);
    const int first = index().start(k).rank + leadingAt(k);
    av_frame_unref(last_);
    av_frame_unref(held_);
    heldRank_ = -1;
    if (!decoder_->seekToStart(k, first)) {
        nextRank_ = -1;
        return false;
    }
    nextRank_ = first;
    return true;
}

const AVFrame* PictureSource::standIn(const AVFrame* frame) {
    if (frame != last_) {
        av_frame_unref(last_);
        av_frame_ref(last_, frame);
    }
    return last_;
}

std::optional<PictureSource::Picture> PictureSource::next() {
    if (nextRank_ < 0 || nextRank_ >= index().pictureCount())
        return std::nullopt;
    if (heldRank_ >= 0) {
        if (heldRank_ > nextRank_)
            return Picture{nextRank_++, last_, true};
        heldRank_ = -1;
        return Picture{nextRank_++, standIn(held_)};
    }
    while (const auto out = decoder_->nextOutput()) {
        if (out->rank == PictureNumbering::kUnnamed || out->rank < nextRank_) {
            if (out->frame && out->rank != PictureNumbering::kUnnamed)
                standIn(out->frame); // before the run's first picture, but the one before it
            continue;
        }
        const bool haveBefore = last_->buf[0] != nullptr;
        if (!out->frame) { // a failure where this rank's picture was due
            if (!haveBefore)
                continue;
            nextRank_ = out->rank + 1;
            return Picture{out->rank, last_, true};
        }
        if (out->rank > nextRank_) {
            if (!haveBefore) {
                nextRank_ = out->rank; // nothing to stand in: go on from this one
            } else {
                av_frame_unref(held_);
                av_frame_ref(held_, out->frame);
                heldRank_ = out->rank;
                return Picture{nextRank_++, last_, true};
            }
        }
        nextRank_ = out->rank + 1;
        return Picture{out->rank, standIn(out->frame)};
    }
    nextRank_ = -1;
    return std::nullopt;
}

} // namespace media::service
