#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace media::service {

inline constexpr std::int64_t kNoTimestamp = std::numeric_limits<std::int64_t>::min();

// The video stream's packets in file order, and the pictures the file shows.
//
// A packet that shows a picture of its own is one picture; packets an edit list cuts and the
// second fields of field-coded frames show none, but are still decoded. Pictures are named by
// their rank in display order. Between two keyframes the pictures stored there are the
// pictures displayed there, so the pictures of the packets before a keyframe are exactly the
// ranks below its first rank (an open GOP's leading pictures aside: see PictureSource).
//
// Positions (slots) may outnumber pictures: an empty AVI chunk, a frame a capture program
// dropped, takes a slot and shows the picture before it. Elsewhere slot and rank agree.
class FrameIndex {
  public:
    struct Packet {
        std::int64_t timestamp = 0;      // to seek to it, in the stream's time base
        std::int64_t pts = kNoTimestamp; // when shown, where the file was read through
        std::int64_t offset = -1;        // byte position, to know it again after a seek; -1 unknown
        std::int64_t slot = 0;           // AVI: the position its picture takes
        int size = 0;                    // bytes; 0 unknown
        bool keyframe = false;
        bool shows = true; // gives a picture of its own
        bool cut = false;  // the file ends inside it: only decoding tells whether it shows
    };
    // Where decoding can start: the first packet, and every keyframe.
    struct Start {
        int packet = 0;
        int rank = 0; // pictures shown by the packets before it
    };

    FrameIndex() = default;
    // packets in file order; length = number of positions (at least last slot + 1).
    FrameIndex(std::vector<Packet> packets, std::int64_t length);

    int packetCount() const { return static_cast<int>(packets_.size()); }
    const Packet& packet(int i) const { return packets_[static_cast<std::size_t>(i)]; }
    int pictureCount() const { return static_cast<int>(slots_.size()); }
    std::int64_t length() const { return length_; }
    bool empty() const { return slots_.empty(); }

    // The rank of the picture shown at a position (clamped to the video).
    int rankAtSlot(std::int64_t slot) const;
    std::int64_t slotOfRank(int rank) const { return slots_[static_cast<std::size_t>(rank)]; }

    int startCount() const { return static_cast<int>(starts_.size()); }
    const Start& start(int k) const { return starts_[static_cast<std::size_t>(k)]; }
    // The last start whose first rank is at or before `rank`.
    int startAtOrBefore(int rank) const;
    // The first rank of the start after k, or pictureCount() after the last.
    int endRankOf(int k) const;
    // The most pictures between two starts.
    int longestGop() const { return longestGop_; }

    // What is known of a packet read, to find it in the index.
    struct Seen {
        std::int64_t timestamp = kNoTimestamp;
        std::int64_t offset = -1;
        int size = 0;
    };
    // True when the packet read may be packet i: the same size, and the same offset where
    // both are known. Timestamps are left out: some demuxers give them to the wrong packets
    // for a while after a seek.
    bool matches(int i, const Seen& seen) const;
    // The packet read after packet `previous` (-1 after a seek): the next one in file order
    // when it matches, else the one with its offset, else with its timestamp; -1 when none.
    int locate(const Seen& seen, int previous) const;

    // The same index without the pictures of these packets (found not to come out).
    FrameIndex withoutPictures(const std::vector<int>& packets) const;

  private:
    std::vector<Packet> packets_;
    std::vector<std::int64_t> slots_; // by rank
    std::vector<Start> starts_;
    std::vector<std::pair<std::int64_t, int>> byOffset_; // (offset, packet), sorted
    bool timestampsRise_ = true;
    bool gapless_ = true; // every slot is its rank
    std::int64_t length_ = 0;
    int longestGop_ = 1;
};

} // namespace media::service
