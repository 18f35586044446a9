#include "media/service/picture_source.h"

#include <algorithm>

namespace media::service {

namespace {
// Pictures stored behind a keyframe but displayed before it are at most a few B-frames;
// the measurement decodes this many packets.
constexpr int kLeadingProbe = 12;
} // namespace

PictureSource::PictureSource(std::unique_ptr<VideoDecoder> decoder)
    : decoder_(std::move(decoder)) {}

int PictureSource::skippedAt(int keyframe) {
    if (keyframe == 0 || !decoder_->reorders())
        return 0;
    const auto known = skipped_.find(keyframe);
    if (known != skipped_.end())
        return known->second;
    const int packets = std::min(kLeadingProbe, index().nextKeyframe(keyframe) - keyframe);
    int skipped = 0;
    if (packets > 1)
        skipped = std::max(0, packets - decoder_->picturesDecodableFrom(keyframe, packets));
    skipped_[keyframe] = skipped;
    nextRank_ = -1; // the measurement moved the decoder
    return skipped;
}

int PictureSource::startFor(int rank) {
    int keyframe = index().keyframeAtOrBefore(rank);
    // A picture displayed before its keyframe needs the GOP before decoded too.
    while (keyframe > 0 && rank < keyframe + skippedAt(keyframe))
        keyframe = index().previousKeyframe(keyframe);
    return std::max(keyframe, 0);
}

int PictureSource::continuingCost(int rank) const {
    if (nextRank_ < 0 || rank < nextRank_)
        return -1;
    return rank - nextRank_ + 1;
}

int PictureSource::restartCost(int rank) const {
    // Estimated without measuring, which would move the decoder: a picture close behind a
    // keyframe whose skips are unknown may need the GOP before.
    int keyframe = index().keyframeAtOrBefore(rank);
    if (keyframe > 0 && decoder_->reorders()) {
        const auto known = skipped_.find(keyframe);
        const int skipped = known != skipped_.end() ? known->second : kLeadingProbe;
        if (rank < keyframe + skipped)
            keyframe = std::max(index().previousKeyframe(keyframe), 0);
    }
    return rank - keyframe + 1;
}

bool PictureSource::startAtFor(int rank) {
    const int keyframe = startFor(rank);
    const int skipped = skippedAt(keyframe);
    if (!decoder_->seekToKeyframe(keyframe)) {
        nextRank_ = -1;
        return false;
    }
    nextRank_ = keyframe + skipped;
    return true;
}

std::optional<PictureSource::Picture> PictureSource::next() {
    if (nextRank_ < 0 || nextRank_ >= index().pictureCount())
        return std::nullopt;
    const AVFrame* frame = decoder_->nextPicture();
    if (!frame) {
        nextRank_ = -1;
        return std::nullopt;
    }
    return Picture{nextRank_++, frame};
}

} // namespace media::service
