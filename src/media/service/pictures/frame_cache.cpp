#include "media/service/pictures/frame_cache.h"

#include <cstdlib>

namespace media::service {

std::size_t FrameCache::budgetFor(std::size_t pictureBytes, int longestGop, std::size_t most) {
    const std::size_t pictures = std::max<std::size_t>(64, 2 * std::size_t(longestGop) + 16);
    return std::min(most, pictures * pictureBytes);
}

namespace {
std::size_t bytesOf(const QImage& picture) {
    return static_cast<std::size_t>(picture.sizeInBytes());
}
int distance(int a, int b) {
    return std::abs(a - b);
}
} // namespace

void FrameCache::clear() {
    pictures_.clear();
    bytes_ = 0;
}

const QImage* FrameCache::find(int rank) const {
    const auto at = pictures_.find(rank);
    return at == pictures_.end() ? nullptr : &at->second;
}

bool FrameCache::insert(int rank, const QImage& picture, int shown) {
    const std::size_t size = bytesOf(picture);
    if (size > budget_)
        return false;
    const auto existing = pictures_.find(rank);
    if (existing != pictures_.end()) {
        bytes_ -= bytesOf(existing->second);
        pictures_.erase(existing);
    }
    while (bytes_ + size > budget_ && !pictures_.empty()) {
        auto lowest = pictures_.begin();
        auto highest = std::prev(pictures_.end());
        auto farthest =
            distance(lowest->first, shown) >= distance(highest->first, shown) ? lowest : highest;
        if (distance(farthest->first, shown) <= distance(rank, shown))
            return false;
        bytes_ -= bytesOf(farthest->second);
        pictures_.erase(farthest);
    }
    pictures_.emplace(rank, picture);
    bytes_ += size;
    return true;
}

int FrameCache::capacity(std::size_t pictureBytes) const {
    return pictureBytes == 0 ? 0 : static_cast<int>(budget_ / pictureBytes);
}

int FrameCache::keptDownFrom(int rank) const {
    auto at = pictures_.find(rank);
    if (at == pictures_.end())
        return rank + 1;
    int lowest = rank;
    while (at != pictures_.begin()) {
        --at;
        if (at->first != lowest - 1)
            break;
        lowest = at->first;
    }
    return lowest;
}

int FrameCache::keptUpFrom(int rank) const {
    auto at = pictures_.find(rank);
    if (at == pictures_.end())
        return rank - 1;
    int highest = rank;
    for (++at; at != pictures_.end() && at->first == highest + 1; ++at)
        highest = at->first;
    return highest;
}

} // namespace media::service
