#include "media/service/decoding/picture_numbering.h"

#include <algorithm>

namespace media::service {

void PictureNumbering::restart(int firstRank, bool fromFileStart) {
    first_ = firstRank;
    lastRank_ = kUnnamed;
    lastIn_ = -1;
    lastOut_ = -1;
    trustEarlier_ = fromFileStart;
    started_ = false;
    startPts_ = kNoTimestamp;
    below_ = 0;
    waiting_.clear();
    lastPts_ = kNoTimestamp;
    sameTime_ = 0;
}

void PictureNumbering::packetSent(bool shows, std::int64_t pts) {
    if (method_ == Method::ByCount) {
        ++lastIn_;
        return;
    }
    if (!started_) {
        started_ = true;
        startPts_ = pts;
    }
    if (shows && pts != kNoTimestamp)
        waiting_.insert(std::upper_bound(waiting_.begin(), waiting_.end(), pts), pts);
}

int PictureNumbering::pictureOut(std::int64_t pts) {
    if (method_ == Method::ByCount) {
        const int missing = lastOut_ >= 0 ? lastIn_ - lastOut_ - 1 : 0;
        lastOut_ = std::max(lastOut_, lastIn_);
        if (lastRank_ == kUnnamed)
            return lastRank_ = first_;
        return lastRank_ += 1 + std::max(missing, 0);
    }
    if (pts == kNoTimestamp) // nothing to go by but the order
        return lastRank_ == kUnnamed ? kUnnamed : ++lastRank_;
    if (!trustEarlier_ && startPts_ != kNoTimestamp && pts < startPts_)
        return kUnnamed;
    if (lastPts_ != kNoTimestamp && pts < lastPts_)
        return kUnnamed; // out of display order: the decoder is lost
    const auto earlier = std::lower_bound(waiting_.begin(), waiting_.end(), pts);
    const int before = static_cast<int>(earlier - waiting_.begin());
    const int rank = first_ + below_ + before + (pts == lastPts_ ? sameTime_ : 0);
    // Nothing displayed before this picture can come out any more.
    below_ += before;
    waiting_.erase(waiting_.begin(), earlier);
    sameTime_ = pts == lastPts_ ? sameTime_ + 1 : 1;
    lastPts_ = pts;
    if (rank <= lastRank_)
        return kUnnamed;
    return lastRank_ = rank;
}

int PictureNumbering::failureOut() {
    // An error before the first picture, or after this packet's picture came out already,
    // takes no place.
    if (method_ != Method::ByCount || lastRank_ == kUnnamed || lastIn_ <= lastOut_)
        return kUnnamed;
    lastOut_ = lastIn_;
    return ++lastRank_;
}

} // namespace media::service
