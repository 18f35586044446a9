#pragma once

#include <chrono>
#include <cstdint>

namespace media::service {

// Which position is due while playing: positions advance at the file's own rate from the
// moment play started, so a late picture is dropped rather than shifting all that follow.
class PlaybackClock {
  public:
    using Clock = std::chrono::steady_clock;

    PlaybackClock(std::int64_t startSlot, double framesPerSecond, Clock::time_point start);

    std::int64_t dueSlot(Clock::time_point now) const;
    Clock::time_point dueTime(std::int64_t slot) const;

  private:
    std::int64_t startSlot_;
    double fps_;
    Clock::time_point start_;
};

} // namespace media::service
