// The decode worker while playing: pictures made ahead of their time, each presented by a
// thread of its own when it is due, dropped when it would be more than a frame late.
#include "media/service/decode_worker.h"

#include "media/service/pictures/picture_fit.h"

#include <algorithm>

namespace media::service {

namespace {

using Clock = PlaybackClock::Clock;

// While playing, a late picture is still shown when nothing was shown for this long.
constexpr auto kLongestFreeze = std::chrono::milliseconds(250);
// What handing a picture to the window takes, kept free within a frame period's lateness.
constexpr auto kHandOver = std::chrono::milliseconds(4);
// While playing, pictures are made at most this far ahead of their time, enough to ride out
// a 4K keyframe's decode, and no more of them than kPlayAheadMost and kPlayAheadBytes allow.
constexpr auto kLeadMost = std::chrono::milliseconds(250);
constexpr std::size_t kPlayAheadMost = 16;
constexpr std::size_t kPlayAheadBytes = 32u * 1024u * 1024u;
// Playback that fell behind skips pictures until it is this far ahead again.
constexpr auto kEnoughLead = std::chrono::milliseconds(150);

} // namespace

void DecodeWorker::servePlay(const Request& request) {
    if (clockGeneration_ != request.generation || !clock_) {
        clock_ = std::make_unique<PlaybackClock>(request.slot, fps_, Clock::now());
        clockGeneration_ = request.generation;
        queuedSlot_ = request.slot - 1;
    }
    // The position after the one made last, or the one due when playback is behind.
    std::int64_t next =
        std::max(queuedSlot_ + 1, std::min(clock_->dueSlot(Clock::now()), length_ - 1));
    if (next > length_ - 1) {
        finishPlaying(request, length_);
        return;
    }
    if (!roomToPlayAhead(request))
        return;
    int rank = source_.index().rankAtSlot(next);
    // Catching up, the decoder has passed pictures it skipped: playback goes on from where
    // it stands rather than going back for them.
    if (const int ahead = source_.nextRank(); skippedSome_ && ahead > rank &&
                                              ahead < source_.index().pictureCount() &&
                                              !cache_.contains(rank)) {
        rank = ahead;
        next = source_.index().slotOfRank(ahead);
    }
    anchor_ = rank;
    QImage picture;
    if (const QImage* kept = cache_.find(rank)) {
        picture = *kept;
    } else {
        const auto decoded = decodeToward(rank);
        if (!decoded) {
            finishPlaying(request, -1);
            return;
        }
        const std::int64_t decodedSlot = source_.index().slotOfRank(decoded->rank);
        const auto now = Clock::now();
        // Pictures no other refers to are skipped from when playback has no lead left until
        // it is far enough ahead again.
        if (now + kHandOver >= clock_->dueTime(decodedSlot) ||
            (workerSeams().behind && workerSeams().behind()))
            catchUp(true);
        else if (clock_->dueTime(decodedSlot) - now >= kEnoughLead)
            catchUp(false);
        if (decoded->standIn && skippedSome_)
            return; // one that was skipped
        if (decoded->rank < rank) {
            if (decodedSlot <= queuedSlot_)
                return; // on the way to the picture wanted
            // Late by more than a frame: dropped unscaled, unless the window would freeze.
            if (now >= deadline(decodedSlot)) {
                std::lock_guard lock(mutex_);
                if (!standingStill(now, request.generation))
                    return;
            }
            next = decodedSlot;
            rank = decoded->rank;
        }
        picture = scaledPicture(decoded->frame);
        keep(decoded->rank, picture);
    }
    queueForPlay(request, next, picture);
}

bool DecodeWorker::roomToPlayAhead(const Request& request) {
    const std::size_t bytes = static_cast<std::size_t>(request.destination.width()) *
                              static_cast<std::size_t>(request.destination.height()) * 4u;
    const std::size_t most = std::clamp<std::size_t>(
        kPlayAheadBytes / std::max<std::size_t>(bytes, 1), 2, kPlayAheadMost);
    const auto leadEnds = clock_->dueTime(queuedSlot_) - kLeadMost;
    std::unique_lock lock(mutex_);
    const auto asked = [&] { return quit_ || request_.generation != request.generation; };
    if (playQueue_.size() >= most) {
        changed_.wait(lock, [&] { return asked() || playQueue_.size() < most; });
        return false;
    }
    if (Clock::now() < leadEnds) {
        changed_.wait_until(lock, leadEnds, asked);
        return false;
    }
    return true;
}

void DecodeWorker::queueForPlay(const Request& request, std::int64_t slot, const QImage& picture) {
    Queued queued{.generation = request.generation,
                  .slot = slot,
                  .frame = composedFrame(picture, shape_, request.destination),
                  .due = clock_->dueTime(slot),
                  .deadline = deadline(slot),
                  .last = slot >= length_ - 1};
    queuedSlot_ = slot;
    std::lock_guard lock(mutex_);
    if (request_.generation != request.generation)
        return;
    playQueue_.push_back(std::move(queued));
    presenting_.notify_all();
}

PlaybackClock::Clock::time_point DecodeWorker::deadline(std::int64_t slot) const {
    return clock_->dueTime(slot + 1) - kHandOver;
}

bool DecodeWorker::standingStill(Clock::time_point now, std::uint64_t generation) const {
    return shown_.generation != generation || now - shownDue_ >= kLongestFreeze;
}

void DecodeWorker::presentInTime() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (playQueue_.empty()) {
            presenting_.wait(lock);
            continue;
        }
        Queued& head = playQueue_.front();
        const auto now = Clock::now();
        if (now < head.due) {
            presenting_.wait_until(lock, head.due);
            continue;
        }
        if (now < head.deadline || head.last || standingStill(now, head.generation)) {
            shown_ = {head.generation, head.slot, std::move(head.frame)};
            shownDue_ = head.due;
            if (present_)
                present_(shown_);
        }
        playQueue_.pop_front();
        changed_.notify_all();
    }
}

void DecodeWorker::catchUp(bool behind) {
    if (behind == catchingUp_ || !source_.decoder().canSkip())
        return;
    catchingUp_ = behind;
    skippedSome_ = skippedSome_ || behind;
    source_.decoder().skipUnreferenced(behind);
}

void DecodeWorker::finishPlaying(const Request& request, std::int64_t slot) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return quit_ || request_.generation != request.generation || playQueue_.empty();
        });
        if (quit_ || request_.generation != request.generation)
            return;
        if (slot < 0)
            slot = shown_.generation == request.generation ? shown_.slot : request.slot;
        request_.mode = Mode::Show;
        request_.slot = slot;
        request_.stepBack = false;
        ++request_.generation;
        // The picture stays as presented; nothing more to decode for it.
        if (shown_.generation == request.generation) {
            shown_.generation = request_.generation;
            shown_.slot = slot;
            served_ = request_.generation;
        }
    }
    changed_.notify_all();
}

} // namespace media::service
