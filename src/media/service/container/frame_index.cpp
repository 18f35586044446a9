#include "media/service/container/frame_index.h"

#include <algorithm>

namespace media::service {

FrameIndex::FrameIndex(std::vector<Packet> packets, std::int64_t length)
    : packets_(std::move(packets)) {
    int rank = 0;
    for (int i = 0; i < packetCount(); ++i) {
        const Packet& p = packets_[static_cast<std::size_t>(i)];
        if (i == 0 || p.keyframe)
            starts_.push_back({i, rank});
        if (p.shows) {
            gapless_ = gapless_ && p.slot == rank;
            slots_.push_back(p.slot);
            ++rank;
        }
        if (p.offset >= 0)
            byOffset_.emplace_back(p.offset, i);
        if (i > 0 && p.timestamp <= packets_[static_cast<std::size_t>(i - 1)].timestamp)
            timestampsRise_ = false;
    }
    std::sort(byOffset_.begin(), byOffset_.end());
    const std::int64_t lastSlot = slots_.empty() ? -1 : slots_.back();
    length_ = std::max(length, lastSlot + 1);
    for (int k = 0; k < startCount(); ++k)
        longestGop_ =
            std::max(longestGop_, endRankOf(k) - starts_[static_cast<std::size_t>(k)].rank);
}

int FrameIndex::rankAtSlot(std::int64_t slot) const {
    if (slots_.empty())
        return 0;
    const auto after = std::upper_bound(slots_.begin(), slots_.end(), slot);
    if (after == slots_.begin())
        return 0;
    return static_cast<int>(after - slots_.begin()) - 1;
}

int FrameIndex::startAtOrBefore(int rank) const {
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), rank,
                                        [](int r, const Start& s) { return r < s.rank; });
    return after == starts_.begin() ? 0 : static_cast<int>(after - starts_.begin()) - 1;
}

int FrameIndex::endRankOf(int k) const {
    return k + 1 < startCount() ? starts_[static_cast<std::size_t>(k + 1)].rank : pictureCount();
}

bool FrameIndex::matches(int i, const Seen& seen) const {
    if (i < 0 || i >= packetCount())
        return false;
    const Packet& p = packets_[static_cast<std::size_t>(i)];
    if (p.size > 0 && seen.size > 0 && p.size != seen.size)
        return false;
    return p.offset < 0 || seen.offset < 0 || p.offset == seen.offset;
}

int FrameIndex::locate(const Seen& seen, int previous) const {
    if (previous >= 0 && matches(previous + 1, seen))
        return previous + 1;
    if (seen.offset >= 0 && !byOffset_.empty()) {
        // Several packets may start in one block of the container.
        int found = -1;
        for (auto at =
                 std::lower_bound(byOffset_.begin(), byOffset_.end(), std::pair{seen.offset, -1});
             at != byOffset_.end() && at->first == seen.offset; ++at) {
            if (!matches(at->second, seen))
                continue;
            if (packets_[static_cast<std::size_t>(at->second)].timestamp == seen.timestamp)
                return at->second;
            if (found < 0)
                found = at->second;
        }
        return found;
    }
    if (seen.timestamp == kNoTimestamp || !timestampsRise_)
        return -1;
    const auto at =
        std::lower_bound(packets_.begin(), packets_.end(), seen.timestamp,
                         [](const Packet& p, std::int64_t t) { return p.timestamp < t; });
    if (at == packets_.end() || at->timestamp != seen.timestamp)
        return -1;
    const int i = static_cast<int>(at - packets_.begin());
    return matches(i, seen) ? i : -1;
}

FrameIndex FrameIndex::withoutPictures(const std::vector<int>& packets) const {
    std::vector<Packet> kept = packets_;
    for (int i : packets)
        if (i >= 0 && i < packetCount())
            kept[static_cast<std::size_t>(i)].shows = false;
    if (!gapless_)
        return FrameIndex(std::move(kept), length_);
    std::int64_t slot = 0;
    for (Packet& p : kept)
        if (p.shows)
            p.slot = slot++;
    return FrameIndex(std::move(kept), slot);
}

} // namespace media::service
