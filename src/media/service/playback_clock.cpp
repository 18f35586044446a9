#include "media/service/playback_clock.h"

#include <cmath>

namespace media::service {

PlaybackClock::PlaybackClock(std::int64_t startSlot, double framesPerSecond,
                             Clock::time_point start)
    : startSlot_(startSlot), fps_(framesPerSecond > 0 ? framesPerSecond : 30.0), start_(start) {}

std::int64_t PlaybackClock::dueSlot(Clock::time_point now) const {
    if (now <= start_)
        return startSlot_;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    // A hair of slack keeps a wake-up exactly at the due time from reading as the frame before.
    return startSlot_ + static_cast<std::int64_t>(std::floor(seconds * fps_ + 1e-6));
}

PlaybackClock::Clock::time_point PlaybackClock::dueTime(std::int64_t slot) const {
    const double seconds = static_cast<double>(slot - startSlot_) / fps_;
    return start_ +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace media::service
