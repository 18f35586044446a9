#pragma once

#include "media/service/container/frame_index.h"

#include <cstdint>
#include <vector>

namespace media::service {

// Names the pictures a decoder gives out by their rank (see FrameIndex), from what was
// handed to it since it was last positioned: a run. Ranks may skip: a picture the decoder
// rejected or dropped leaves its rank without a picture.
//
// By timestamp (every container that stores presentation times): a picture's rank is the
// run's first rank plus the number of pictures handed over in the run that are displayed
// before it, whatever the decoder's delay, threads or reordering. Equal timestamps keep their
// order. A picture displayed before the run's first packet (an open GOP's leading picture,
// decoded without its references) is not named, unless the run starts at the beginning of
// the file: there it is what the file shows.
//
// By count (AVI, whose packets carry no presentation time): once under way, the decoder gives
// out one picture per packet, in display order. A packet it rejects shows as a gap between
// packets handed over and pictures out; a failure in a picture's place takes that place.
class PictureNumbering {
  public:
    static constexpr int kUnnamed = -1;
    enum class Method { ByTimestamp, ByCount };

    explicit PictureNumbering(Method method = Method::ByCount) : method_(method) {}
    Method method() const { return method_; }

    // A new run. By count, `firstRank` is the rank of the first picture that will come out;
    // by timestamp, the first rank of the packets from the run's first one on.
    void restart(int firstRank, bool fromFileStart);
    // A packet handed to the decoder; `shows` as in the index.
    void packetSent(bool shows, std::int64_t pts);
    // The rank of the picture the decoder just gave out, or kUnnamed.
    int pictureOut(std::int64_t pts);
    // The decoder failed where a picture was due: the rank left without one, or kUnnamed.
    int failureOut();

  private:
    Method method_;
    int first_ = 0;
    int lastRank_ = kUnnamed;

    // By count: packets handed over and pictures out since the restart, minus one.
    int lastIn_ = -1;
    int lastOut_ = -1;

    // By timestamp.
    bool trustEarlier_ = false;
    bool started_ = false;
    std::int64_t startPts_ = kNoTimestamp;
    int below_ = 0;                     // handed-over pictures displayed before the last one out
    std::vector<std::int64_t> waiting_; // the others' timestamps, sorted
    std::int64_t lastPts_ = kNoTimestamp;
    int sameTime_ = 0; // pictures out so far with lastPts_
};

} // namespace media::service
