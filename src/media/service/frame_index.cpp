#include "media/service/frame_index.h"

#include <algorithm>

namespace media::service {

FrameIndex::FrameIndex(std::vector<Entry> entries, std::int64_t length)
    : entries_(std::move(entries)) {
    for (int rank = 0; rank < pictureCount(); ++rank)
        if (rank == 0 || entries_[static_cast<std::size_t>(rank)].keyframe)
            keyframes_.push_back(rank);
    const std::int64_t lastSlot = entries_.empty() ? -1 : entries_.back().slot;
    length_ = std::max(length, lastSlot + 1);
    for (std::size_t i = 0; i < keyframes_.size(); ++i) {
        const int next = i + 1 < keyframes_.size() ? keyframes_[i + 1] : pictureCount();
        longestGop_ = std::max(longestGop_, next - keyframes_[i]);
    }
}

int FrameIndex::rankAtSlot(std::int64_t slot) const {
    if (entries_.empty())
        return 0;
    const auto after = std::upper_bound(entries_.begin(), entries_.end(), slot,
                                        [](std::int64_t s, const Entry& e) { return s < e.slot; });
    if (after == entries_.begin())
        return 0;
    return static_cast<int>(after - entries_.begin()) - 1;
}

int FrameIndex::keyframeAtOrBefore(int rank) const {
    const auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), rank);
    return after == keyframes_.begin() ? 0 : *(after - 1);
}

int FrameIndex::previousKeyframe(int keyframe) const {
    const auto at = std::lower_bound(keyframes_.begin(), keyframes_.end(), keyframe);
    return at == keyframes_.begin() ? -1 : *(at - 1);
}

int FrameIndex::nextKeyframe(int keyframe) const {
    const auto after = std::upper_bound(keyframes_.begin(), keyframes_.end(), keyframe);
    return after == keyframes_.end() ? pictureCount() : *after;
}

int FrameIndex::rankOfTimestamp(std::int64_t timestamp) const {
    const auto at =
        std::lower_bound(entries_.begin(), entries_.end(), timestamp,
                         [](const Entry& e, std::int64_t t) { return e.timestamp < t; });
    if (at == entries_.end() || at->timestamp != timestamp)
        return -1;
    return static_cast<int>(at - entries_.begin());
}

int FrameIndex::rankOfOffset(std::int64_t offset) const {
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), offset,
                                     [](const Entry& e, std::int64_t o) { return e.offset < o; });
    if (at == entries_.end() || at->offset != offset || offset < 0)
        return -1;
    return static_cast<int>(at - entries_.begin());
}

} // namespace media::service
