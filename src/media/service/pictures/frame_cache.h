#pragma once

#include <QImage>
#include <cstddef>
#include <map>

namespace media::service {

// Decoded pictures at display size around the picture now shown, bounded in bytes. When
// full, the picture farthest from the one shown goes first; a new picture that would be
// that one is not kept.
class FrameCache {
  public:
    explicit FrameCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

    // Enough for two of the longest GOPs around the picture shown and a few more (64
    // pictures at least), at most `most` bytes: a short GOP needs no more.
    static std::size_t budgetFor(std::size_t pictureBytes, int longestGop, std::size_t most);

    void clear();
    const QImage* find(int rank) const;
    bool contains(int rank) const { return pictures_.count(rank) != 0; }
    // False when the picture was not kept.
    bool insert(int rank, const QImage& picture, int shown);
    std::size_t bytes() const { return bytes_; }
    std::size_t budget() const { return budget_; }
    std::size_t size() const { return pictures_.size(); }
    // How many pictures of this many bytes fit.
    int capacity(std::size_t pictureBytes) const;
    // The lowest rank from which every picture up to `rank` is kept; rank + 1 when `rank`
    // itself is missing.
    int keptDownFrom(int rank) const;
    // The highest rank up to which every picture from `rank` is kept; rank - 1 when missing.
    int keptUpFrom(int rank) const;

  private:
    std::map<int, QImage> pictures_;
    std::size_t budget_;
    std::size_t bytes_ = 0;
};

} // namespace media::service
