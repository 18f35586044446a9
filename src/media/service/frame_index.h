#pragma once

#include <cstdint>
#include <vector>

namespace media::service {

// The coded frames of the video stream in file order, and where each one sits among the
// frame positions the user sees.
//
// Between two keyframes, the pictures stored there are exactly the pictures displayed there:
// the k-th picture in display order is the one whose packet is k-th in the file, even when
// B-frames make the decoder emit them in another order. A picture is therefore named by its
// rank in display order, which is also the file position of a packet (not necessarily its
// own) and so tells which keyframe to start decoding from.
//
// Positions (slots) may outnumber pictures: an empty chunk, a frame a capture program
// dropped, takes a slot and shows the picture before it.
class FrameIndex {
  public:
    struct Entry {
        std::int64_t timestamp = 0; // the packet's timestamp, to seek to it
        std::int64_t slot = 0;      // the position where the picture of this rank is shown
        bool keyframe = false;
        std::int64_t offset = -1; // the packet's byte offset, to know it again after a seek
    };

    FrameIndex() = default;
    // entries in file order; length = number of positions (at least last slot + 1).
    FrameIndex(std::vector<Entry> entries, std::int64_t length);

    int pictureCount() const { return static_cast<int>(entries_.size()); }
    std::int64_t length() const { return length_; }
    bool empty() const { return entries_.empty(); }
    const Entry& entry(int rank) const { return entries_[static_cast<std::size_t>(rank)]; }

    // The rank of the picture shown at a position (clamped to the video).
    int rankAtSlot(std::int64_t slot) const;
    std::int64_t slotOfRank(int rank) const { return entry(rank).slot; }

    // File position of the keyframe at or before rank (0 when none is marked).
    int keyframeAtOrBefore(int rank) const;
    // The keyframe before `keyframe`, or -1.
    int previousKeyframe(int keyframe) const;
    // The next keyframe after `keyframe`, or pictureCount() when it is the last.
    int nextKeyframe(int keyframe) const;
    // The longest distance between two keyframes.
    int longestGop() const { return longestGop_; }

    // The file position of the packet with this timestamp, or -1.
    int rankOfTimestamp(std::int64_t timestamp) const;
    // The file position of the packet at this byte offset, or -1.
    int rankOfOffset(std::int64_t offset) const;

  private:
    std::vector<Entry> entries_;
    std::vector<int> keyframes_; // ranks of keyframes, ascending; always starts with 0
    std::int64_t length_ = 0;
    int longestGop_ = 1;
};

} // namespace media::service
